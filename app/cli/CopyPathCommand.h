#pragma once

#include <QStringList>

// kestrova copy-path [FILE...]: puts the Windows paths of the files (as file managers
// pass them), or without FILE of the files on the clipboard, on the clipboard: one
// path a line, with the share, drive letter, backslashes and quotation marks the
// settings ask for. The process that owns the clipboard keeps running until another
// program takes it.
int runCopyPathCommand(const QStringList& arguments);
