#include "cli/CliCommand.h"
#include "cli/HelpCommand.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // Commands that need no display run under a core application, so they work in a
    // terminal, over ssh and in scripts.
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrova"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("dovrane.com"));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        printUsage();
        return ExitUsage;
    }
    const QString name = arguments.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h"))
        return runHelpCommand({});

    const CliCommand* command = findCliCommand(name);
    if (!command) {
        QTextStream(stderr) << "kestrova: unknown command " << name << " (see kestrova --help)\n";
        return ExitUsage;
    }
    return command->run(arguments);
}
