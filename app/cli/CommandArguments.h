#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the commands that take files or a text share in reading their arguments.
namespace CommandArguments {

// The operands: every argument, with "--" ending the options. None, after a message
// on stderr, when an option is given (these commands have none), so that a file name
// cannot be taken for an option by accident.
std::optional<QStringList> operands(const char* command, const QStringList& arguments);

// The paths made absolute against the working folder: the request may be served by
// the running instance, whose working folder is another.
QStringList absolutePaths(const QStringList& paths);

// Prints "kestrova: COMMAND: MESSAGE (usage: kestrova COMMAND SYNOPSIS)" on stderr and
// returns ExitUsage.
int usageError(const char* command, const QString& message);

}
