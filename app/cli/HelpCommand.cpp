#include "cli/HelpCommand.h"

#include "cli/CliCommand.h"

#include <QTextStream>

#include <cstdio>

namespace {

void printCommands(QTextStream& out)
{
    out << "Usage: kestrova COMMAND [ARGUMENTS...]\n\n"
           "Opens Windows shortcuts (.lnk) and Windows paths on the file servers they name.\n\n"
           "Commands:\n";
    for (const CliCommand& command : cliCommands())
        out << QStringLiteral("  %1 %2\n      %3\n")
                   .arg(QLatin1String(command.name), QLatin1String(command.synopsis),
                       QLatin1String(command.summary));
}

}

int runHelpCommand(const QStringList& arguments)
{
    QTextStream out(stdout);
    if (arguments.isEmpty()) {
        printCommands(out);
        return ExitSuccess;
    }
    const CliCommand* command = findCliCommand(arguments.first());
    if (!command) {
        QTextStream(stderr) << "kestrova: help: unknown command " << arguments.first() << '\n';
        return ExitUsage;
    }
    out << QStringLiteral("Usage: kestrova %1 %2\n%3\n")
               .arg(QLatin1String(command->name), QLatin1String(command->synopsis),
                   QLatin1String(command->summary));
    return ExitSuccess;
}

void printUsage()
{
    QTextStream err(stderr);
    printCommands(err);
}
