#include "cli/CommandOperands.h"

#include "platform/FileNames.h"

#include <QDir>

#include <unistd.h>

#include <climits>

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

// Joined as text: QFileInfo would round-trip the names through their UTF-8 form and so
// lose the bytes of a name that is not UTF-8.
QStringList absolutePaths(const QStringList& paths)
{
    char folder[PATH_MAX];
    const QString workingFolder =
        ::getcwd(folder, sizeof folder) ? FileNames::decode(folder) : QDir::currentPath();
    QStringList result;
    for (const QString& path : paths) {
        result << QDir::cleanPath(
            path.startsWith(QLatin1Char('/')) ? path : workingFolder + QLatin1Char('/') + path);
    }
    return result;
}

}
