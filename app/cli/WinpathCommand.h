#pragma once

#include <QStringList>

// kestrova winpath FILE...: prints the Windows path of each file (a name, a file: URI
// or an smb: URI), one a line, as copy-path would put it on the clipboard; needs no
// display and no bus. A file that has none (missing, on no mounted share, a URI of
// another kind) gets a line on stderr and makes the status 2.
int runWinpathCommand(const QStringList& arguments);
