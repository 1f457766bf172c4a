#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>

// What the commands that take files or a text share in reading their arguments. Needs
// Qt Core alone: the light `kestrova` front reads requests with it too.
namespace CommandOperands {

// The arguments of the process after its name. A name that is not UTF-8 keeps its
// bytes (FileNames::decode), so that it still opens its file.
QStringList commandLine(int argc, char* argv[]);

// The operands: every argument, with "--" ending the options. A failure when an option
// is given (these commands have none), so that a file name cannot be taken for an
// option by accident.
Result<QStringList> read(const QStringList& arguments);

// The paths made absolute against the working folder: the request may be served by
// the running instance, whose working folder is another.
QStringList absolutePaths(const QStringList& paths);

// The operand as a location (LocationUri): a URI as LocationUri reads it, any other
// text as a file name made absolute. A name that begins with "smb:" or "file:" but is
// no URI and no file is refused rather than taken for a name in the working folder.
Result<QString> location(const QString& operand);

// The locations of all operands; fails, naming the operand, at the first that has none.
Result<QStringList> locations(const QStringList& operands);

}
