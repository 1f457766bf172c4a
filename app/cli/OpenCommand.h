#pragma once

#include <QStringList>

// kestrova open FILE...: opens the targets of Windows shortcut files, mounting their
// shares; what the desktop runs for a double click on a .lnk file. Each file that
// fails gets its alert; the status is 2 when any failed.
int runOpenCommand(const QStringList& arguments);
