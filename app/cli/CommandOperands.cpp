#include "cli/CommandOperands.h"

#include "platform/FileNames.h"

#include <QFileInfo>

namespace CommandOperands {

QStringList commandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << FileNames::decode(argv[index]);
    return arguments;
}

Result<QStringList> read(const QStringList& arguments)
{
    QStringList result;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            return Failure {
                QStringLiteral("unknown option %1 (put -- before a name that starts with -)")
                    .arg(argument)};
        } else {
            result << argument;
        }
    }
    return result;
}

QStringList absolutePaths(const QStringList& paths)
{
    QStringList result;
    for (const QString& path : paths)
        result << QFileInfo(path).absoluteFilePath();
    return result;
}

}
