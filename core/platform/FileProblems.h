#pragma once

#include <QString>

#include <optional>

// Why a file given by name could not be used, in the words that follow "FILE: " (on the
// command line "kestrova: COMMAND: FILE: "). Asked after the operation failed; the forms
// given what the operation had at hand (its errno, its open file) describe the file as
// it was then, those given only the name as it is now.
namespace FileProblems {

// "no such file", "permission denied", ...; none when the file can be looked up.
std::optional<QString> lookupProblem(const QString& path);

// Why open(2) of the file failed with `error`: missing, a folder, not readable, ...
QString openProblem(const QString& path, int error);

// Why a file that opened is not a shortcut that can be read: a folder, larger than a
// shortcut can be, or not a shortcut.
QString unreadableShortcut(int descriptor, qint64 maximumSize);
// The last of those, for a file read to its end that held no shortcut.
QString notAShortcut();

}
