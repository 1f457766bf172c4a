#include "cli/CommandArguments.h"

#include "cli/CliCommand.h"
#include "cli/CommandOperands.h"

#include <QTextStream>

namespace CommandArguments {

std::optional<QStringList> operands(const char* command, const QStringList& arguments)
{
    QString problem;
    std::optional<QStringList> result = CommandOperands::read(arguments, &problem);
    if (!result)
        usageError(command, problem);
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
