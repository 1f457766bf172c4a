#pragma once

#include <QStringList>

// The commands whose request the running instance of the session serves (or this
// process, when there is none; see RequestDelivery). Each failure is one line on stderr
// ("TITLE: MESSAGE" for an alert); the status is 2 when any failed.

// kestrova open FILE...: opens the targets of Windows shortcut files, mounting their
// shares; what the desktop runs for a double click on a .lnk file. Each file that
// fails gets its alert.
int runOpenCommand(const QStringList& arguments);

// kestrova open-link [TEXT]: opens the Windows path or link that TEXT names
// (\\server\share\dir\file, X:\dir\file, file://server/share/...), or without TEXT
// what the user has selected in any application (the PRIMARY selection, rich text
// included). The text is only ever read as a path: it never reaches a shell.
int runOpenLinkCommand(const QStringList& arguments);

// kestrova copy-path [FILE...]: puts the Windows paths of the files (as file managers
// pass them), or without FILE of the files on the clipboard, on the clipboard: one
// path a line, with the share, drive letter, backslashes and quotation marks the
// settings ask for. The process that owns the clipboard keeps running until another
// program takes it.
int runCopyPathCommand(const QStringList& arguments);
