#pragma once

#include <QStringList>

// kestrova info [--json] FILE...: what the reader finds in each shortcut file.
int runInfoCommand(const QStringList& arguments);
