#include "cli/CommandArguments.h"

#include "cli/CliCommand.h"

#include <QFileInfo>
#include <QTextStream>

namespace CommandArguments {

std::optional<QStringList> operands(const char* command, const QStringList& arguments)
{
    QStringList result;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            usageError(command,
                QStringLiteral("unknown option %1 (put -- before a name that starts with -)")
                    .arg(argument));
            return std::nullopt;
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

int usageError(const char* command, const QString& message)
{
    const CliCommand* entry = findCliCommand(QLatin1String(command));
    QTextStream(stderr) << "kestrova: " << command << ": " << message << " (usage: kestrova "
                        << command << ' ' << (entry ? entry->synopsis : "") << ")\n";
    return ExitUsage;
}

}
