#include "KestrovaProcess.h"
#include "instance/AppBusProtocol.h"
#include "support/PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

// `kestrova service` and the commands on a private session bus, without a display.
namespace {

const QString notAShortcutLine =
    QStringLiteral("Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.");
constexpr int idleSeconds = 2;
constexpr int waitMilliseconds = 20000;

class ServiceProcess : public testing::Test {
protected:
    void SetUp() override { startBus(); }

    // D-Bus starts services with the daemon's own environment; activation tests give
    // it a data folder with the service file first.
    void startBus(const std::optional<QString>& dataHome = std::nullopt)
    {
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        if (dataHome)
            qputenv("XDG_DATA_HOME", QFile::encodeName(*dataHome));
        qputenv("KESTROVA_IDLE_SECONDS", QByteArray::number(idleSeconds));
        m_bus.emplace();
        qputenv("XDG_DATA_HOME", previous);
        ASSERT_TRUE(m_bus->isRunning()) << m_bus->failure().toStdString();
        m_connection = m_bus->connect();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment result =
            terminalEnvironment(m_folder.filePath(QStringLiteral("config")), m_bus->address());
        result.insert(QStringLiteral("KESTROVA_IDLE_SECONDS"), QString::number(idleSeconds));
        return result;
    }

    KestrovaRun kestrova(const QStringList& arguments)
    {
        return runKestrova(arguments, environment(), m_folder.path());
    }

    void startService()
    {
        m_service.setProcessEnvironment(environment());
        m_service.start(QStringLiteral(KESTROVA_BINARY), {QStringLiteral("service")});
        ASSERT_TRUE(
            waitForNameOwner(m_connection, AppBusProtocol::serviceName, true, waitMilliseconds))
            << m_service.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        if (m_service.state() != QProcess::NotRunning) {
            m_service.terminate();
            m_service.waitForFinished();
        }
    }

    QTemporaryDir m_folder;
    std::optional<PrivateSessionBus> m_bus;
    QDBusConnection m_connection {QString()};
    QProcess m_service;
};

}

TEST_F(ServiceProcess, ServesCallsAndCommandsThenQuitsWhenIdle)
{
    startService();
    QDBusMessage open = QDBusMessage::createMethodCall(AppBusProtocol::serviceName,
        AppBusProtocol::objectPath, AppBusProtocol::interfaceName, QStringLiteral("Open"));
    open << QStringList {QStringLiteral("file:///nonexistent/a.lnk")} << QVariantMap();
    const QDBusMessage reply = m_connection.call(open);
    EXPECT_EQ(reply.errorName(), AppBusProtocol::failureError);
    EXPECT_EQ(reply.errorMessage(), notAShortcutLine);

    const KestrovaRun run = kestrova({QStringLiteral("open"), QStringLiteral("missing.lnk")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, notAShortcutLine + QLatin1Char('\n'));

    ASSERT_TRUE(waitForEnd(m_service, waitMilliseconds)) << "the idle service still runs";
    EXPECT_EQ(m_service.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_service.exitCode(), 0);
    EXPECT_FALSE(
        m_connection.interface()->isServiceRegistered(AppBusProtocol::serviceName).value());
}

TEST_F(ServiceProcess, SecondServiceFindsTheNameTaken)
{
    startService();
    const KestrovaRun second = kestrova({QStringLiteral("service")});
    EXPECT_EQ(second.exitCode, 2);
    EXPECT_TRUE(second.errors.contains(QStringLiteral("another instance runs")));
    EXPECT_EQ(m_service.state(), QProcess::Running);
}

TEST_F(ServiceProcess, CommandWithoutInstanceServesItselfAndEnds)
{
    const KestrovaRun run = kestrova({QStringLiteral("open"), QStringLiteral("missing.lnk")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, notAShortcutLine + QLatin1Char('\n'));
    EXPECT_FALSE(
        m_connection.interface()->isServiceRegistered(AppBusProtocol::serviceName).value());
}

TEST_F(ServiceProcess, BusActivationStartsTheServiceForACommand)
{
    const QString dataHome = m_folder.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(dataHome + QStringLiteral("/dbus-1/services")));
    // The service file that installing writes, with the built program in it.
    QFile source(QStringLiteral(KESTROVA_SOURCE_DIR "/data/dbus/com.dovrane.Kestrova.service.in"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QFile serviceFile(dataHome + QStringLiteral("/dbus-1/services/com.dovrane.Kestrova.service"));
    ASSERT_TRUE(serviceFile.open(QIODevice::WriteOnly));
    serviceFile.write(source.readAll().replace("@KESTROVA_BINARY@", KESTROVA_BINARY));
    serviceFile.close();
    startBus(dataHome);

    const KestrovaRun run = kestrova({QStringLiteral("open"), QStringLiteral("missing.lnk")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, notAShortcutLine + QLatin1Char('\n'));
    // The started service outlives the command until it has been idle for a while.
    EXPECT_TRUE(m_connection.interface()->isServiceRegistered(AppBusProtocol::serviceName).value());
    EXPECT_TRUE(
        waitForNameOwner(m_connection, AppBusProtocol::serviceName, false, waitMilliseconds));
}
