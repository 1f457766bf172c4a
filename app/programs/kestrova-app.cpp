#include "ProcessApplication.h"
#include "cli/CliCommand.h"
#include "cli/CommandError.h"
#include "cli/CommandOperands.h"
#include "cli/HelpCommand.h"
#include "diagnostics/ExceptionLog.h"
#include "instance/BusHandover.h"
#include "platform/StepTrace.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QStringList>

#include <memory>

int main(int argc, char* argv[])
{
    StepTrace::step("app: main");
    // First, so that the running instance and every command it serves are covered.
    ExceptionLog::install();
    // Before anything starts a process that would inherit the front's note.
    (void)BusHandover::noInstanceFoundBefore();
    // Qt's registry of custom types is destroyed at exit in the reverse order of
    // creation. Made after the D-Bus connection thread, it goes first, and a message
    // that thread handles while the process ends prints "Trying to construct an instance
    // of an invalid type" into the command's output. Registering a D-Bus type before any
    // connection exists makes the registry outlive the thread.
    qRegisterMetaType<QDBusMessage>();
    const CliCommand* command =
        argc > 1 ? findCliCommand(QString::fromLocal8Bit(argv[1])) : nullptr;
    std::unique_ptr<QCoreApplication> application;
    ProcessApplication::prepare(argv[0], command && command->wantsDisplay, application);
    // A request handed to the running instance needs no application here.
    if (!command || !command->handsOver)
        ProcessApplication::ensure();
    QCoreApplication::setApplicationName(QStringLiteral("kestrova"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("dovrane.com"));

    QStringList arguments = CommandOperands::commandLine(argc, argv);
    if (arguments.isEmpty()) {
        printUsage();
        return ExitUsage;
    }
    const QString name = arguments.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h"))
        return runHelpCommand({});
    if (!command) {
        CommandError::print(name, CommandError::unknownCommand);
        return ExitUsage;
    }
    return command->run(arguments);
}
