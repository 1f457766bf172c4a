#pragma once

#include <QStringList>

// kestrova open-link [TEXT]: opens the Windows path or link that TEXT names
// (\\server\share\dir\file, X:\dir\file, file://server/share/...), or without TEXT
// what the user has selected in any application (the PRIMARY selection, rich text
// included). The text is only ever read as a path: it never reaches a shell.
int runOpenLinkCommand(const QStringList& arguments);
