#pragma once

#include <QStringList>

int runHelpCommand(const QStringList& arguments);

// Prints the usage line and the commands to stderr: the answer to a usage error.
void printUsage();
