#include "cli/CommandOperands.h"

#include "platform/FileNames.h"
#include "platform/FileProblems.h"
#include "platform/LocationUri.h"

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

Result<QString> location(const QString& operand)
{
    if (LocationUri::isUri(operand))
        return LocationUri::toLocation(operand);
    const QString path = absolutePaths({operand}).first();
    if (LocationUri::hasKnownScheme(operand) && FileProblems::lookupProblem(path))
        return Failure {QStringLiteral("no such file, and no URI (smb://server/share/path)")};
    return path;
}

Result<QStringList> locations(const QStringList& operands)
{
    QStringList result;
    for (const QString& operand : operands) {
        const Result<QString> found = location(operand);
        if (!found)
            return Failure {operand + QStringLiteral(": ") + found.reason()};
        result << *found;
    }
    return result;
}

}
