#include "KestrovaProcess.h"

#include "support/Eventually.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

ProgramRun runKestrova(const QStringList& arguments, const QProcessEnvironment& environment,
    const QString& workingDirectory)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(KESTROVA_BINARY), arguments);
    const bool ended = eventually(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            return process.state() == QProcess::NotRunning;
        },
        std::chrono::minutes(1));
    if (!ended) {
        ADD_FAILURE() << "kestrova " << arguments.join(QLatin1Char(' ')).toStdString()
                      << " did not end";
        process.kill();
        process.waitForFinished();
    }
    return ProgramRun::of(process);
}

QProcessEnvironment terminalEnvironment(const QString& configHome, const QString& busAddress)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    return environment;
}
