#include "KestrovaProcess.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr int runTimeoutMilliseconds = 60000;

void turnEventLoopUntil(const std::function<bool()>& done, int timeoutMilliseconds)
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

}

KestrovaRun runKestrova(const QStringList& arguments, const QProcessEnvironment& environment,
    const QString& workingDirectory)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(KESTROVA_BINARY), arguments);
    if (!waitForEnd(process, runTimeoutMilliseconds)) {
        ADD_FAILURE() << "kestrova " << arguments.join(QLatin1Char(' ')).toStdString()
                      << " did not end";
        process.kill();
        process.waitForFinished();
    }
    KestrovaRun run;
    run.exitedNormally = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
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

bool waitForNameOwner(
    QDBusConnection& bus, const QString& name, bool owned, int timeoutMilliseconds)
{
    const auto hasOwner = [&] {
        return bus.interface()->isServiceRegistered(name).value() == owned;
    };
    turnEventLoopUntil(hasOwner, timeoutMilliseconds);
    return hasOwner();
}

bool waitForEnd(QProcess& process, int timeoutMilliseconds)
{
    turnEventLoopUntil(
        [&] { return process.state() == QProcess::NotRunning; }, timeoutMilliseconds);
    return process.state() == QProcess::NotRunning;
}

void writeSettings(const QString& configHome, const QByteArray& json)
{
    ASSERT_TRUE(QDir().mkpath(configHome + QStringLiteral("/kestrova")));
    QFile file(configHome + QStringLiteral("/kestrova/com.dovrane.Kestrova.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(json);
}
