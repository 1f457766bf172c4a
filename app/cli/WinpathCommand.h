#pragma once

#include <QStringList>

// kestrova winpath FILE...: prints the Windows path of each file, one a line, as
// copy-path would put it on the clipboard; needs no display and no bus.
int runWinpathCommand(const QStringList& arguments);
