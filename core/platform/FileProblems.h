#pragma once

#include <QString>

#include <optional>

// Why a file given by name could not be used, in the words that follow "FILE: " (on the
// command line "kestrova: COMMAND: FILE: "). Asked after the operation failed, so a file
// that changes in between may be described as it is now.
namespace FileProblems {

// "no such file", "permission denied", ...; none when the file can be looked up.
std::optional<QString> lookupProblem(const QString& path);

// Why the file is not a shortcut that can be read: missing, a folder, not readable,
// larger than a shortcut can be, or not a shortcut.
QString unreadableShortcut(const QString& path, qint64 maximumSize);

}
