#pragma once

#include <QStringList>

// kestrova info [--json] FILE...: what the reader finds in each shortcut file, and what
// each alias file (a converted shortcut) keeps of its target.
int runInfoCommand(const QStringList& arguments);
