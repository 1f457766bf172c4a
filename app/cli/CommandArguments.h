#pragma once

#include <QStringList>

#include <optional>

// What the commands that take files or a text share in reading their arguments.
namespace CommandArguments {

// The operands (see CommandOperands::read); none, after a usage message on stderr, when
// an option is given.
std::optional<QStringList> operands(const char* command, const QStringList& arguments);

}
