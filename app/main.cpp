#include "DisplayProbe.h"
#include "cli/CliCommand.h"
#include "cli/HelpCommand.h"
#include "status/RZStatusController.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusMessage>
#include <QStringList>
#include <QTextStream>

#include <memory>

namespace {

// Qt reads options of its own from the arguments it is given (-platform,
// -platformpluginpath, -style, -reverse, also spelt with "--") and takes them out, even
// after "--". A path or a text on the command line is Kestrova's, never an instruction
// to Qt: Qt gets the program name alone.
int qtArgumentCount = 1;
char* qtArguments[2] = {nullptr, nullptr};

QStringList commandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}

// Commands that may show windows (alerts, the status window, questions) get a
// QApplication where there is a display; everything else, and those commands in a
// terminal without one, run under a core application, so they work over ssh and in
// scripts.
std::unique_ptr<QCoreApplication> makeApplication(char* programName, bool wantsDisplay)
{
    qtArguments[0] = programName;
    int& argc = qtArgumentCount;
    char** argv = qtArguments;
    if (wantsDisplay && DisplayProbe::displayPresent()) {
        auto application = std::make_unique<QApplication>(argc, argv);
        // Alerts and the status window come and go; the last of them closing ends
        // nothing: the instance decides when it is done.
        QApplication::setQuitOnLastWindowClosed(false);
        RZStatusController::createShared();
        return application;
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

}

int main(int argc, char* argv[])
{
    // Qt's registry of custom types is destroyed at exit in the reverse order of
    // creation. Made after the D-Bus connection thread, it goes first, and a message
    // that thread handles while the process ends prints "Trying to construct an instance
    // of an invalid type" into the command's output. Registering a D-Bus type before any
    // connection exists makes the registry outlive the thread.
    qRegisterMetaType<QDBusMessage>();
    const CliCommand* command =
        argc > 1 ? findCliCommand(QString::fromLocal8Bit(argv[1])) : nullptr;
    const std::unique_ptr<QCoreApplication> application =
        makeApplication(argv[0], command && command->wantsDisplay);
    QCoreApplication::setApplicationName(QStringLiteral("kestrova"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("dovrane.com"));

    QStringList arguments = commandLine(argc, argv);
    if (arguments.isEmpty()) {
        printUsage();
        return ExitUsage;
    }
    const QString name = arguments.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h"))
        return runHelpCommand({});
    if (!command) {
        QTextStream(stderr) << "kestrova: unknown command " << name << " (see kestrova --help)\n";
        return ExitUsage;
    }
    return command->run(arguments);
}
