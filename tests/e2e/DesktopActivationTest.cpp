#include "DesktopUser.h"
#include "EndToEndTest.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>

// The double click of a file manager, for real: Kestrova is installed into a prefix,
// and `gio open` (what file managers call) resolves a .lnk file to the installed
// desktop entry, which is D-Bus activatable: GIO calls Open on the bus, the bus starts
// `kestrova service` from the installed service file, and the target opens.
namespace {

const QString serviceFileName = QStringLiteral("com.dovrane.Kestrova.service");

class DesktopActivation : public EndToEndTest {
protected:
    void SetUp() override
    {
        EndToEndTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("KESTROVA_BUS_SERVICES"));
        install();
    }

    void TearDown() override
    {
        if (const std::optional<qint64> instance = instanceProcess())
            ::kill(pid_t(*instance), SIGTERM);
        QFile::remove(busServiceLink());
        EndToEndTest::TearDown();
    }

    QString prefix() const { return m_work.filePath(QStringLiteral("prefix")); }

    static QString busServiceLink()
    {
        return qEnvironmentVariable("KESTROVA_BUS_SERVICES") + QLatin1Char('/') + serviceFileName;
    }

    void install()
    {
        QProcess cmake;
        cmake.setProcessChannelMode(QProcess::MergedChannels);
        cmake.start(QStringLiteral("cmake"),
            {QStringLiteral("--install"), QStringLiteral(KESTROVA_BUILD_DIR),
                QStringLiteral("--prefix"), prefix()});
        ASSERT_TRUE(cmake.waitForFinished(120000));
        ASSERT_EQ(cmake.exitCode(), 0) << cmake.readAll().toStdString();
        // The session bus reads the services of the session's data folders; this bus
        // has a folder of its own, where the installed file is linked.
        ASSERT_TRUE(
            QFile::link(prefix() + QStringLiteral("/share/dbus-1/services/") + serviceFileName,
                busServiceLink()));
        m_desktop.prependDataDir(prefix() + QStringLiteral("/share"));
    }

    // The environment of a session that has the prefix's programs on its PATH. A
    // desktop session hands its environment to the bus for the services it starts,
    // as this does.
    QProcessEnvironment sessionEnvironment() const
    {
        QProcessEnvironment session = environment();
        session.insert(QStringLiteral("PATH"),
            prefix() + QStringLiteral("/bin:") + session.value(QStringLiteral("PATH")));
        session.insert(QStringLiteral("KESTROVA_IDLE_SECONDS"), QStringLiteral("2"));
        return session;
    }

    void handEnvironmentToBus()
    {
        QProcess update;
        update.setProcessEnvironment(sessionEnvironment());
        update.setProcessChannelMode(QProcess::MergedChannels);
        update.start(QStringLiteral("dbus-update-activation-environment"),
            {QStringLiteral("PATH"), QStringLiteral("DISPLAY"), QStringLiteral("XAUTHORITY"),
                QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("XDG_DATA_HOME"),
                QStringLiteral("XDG_DATA_DIRS"), QStringLiteral("XDG_CONFIG_HOME"),
                QStringLiteral("XDG_CONFIG_DIRS"), QStringLiteral("QT_QPA_PLATFORM"),
                QStringLiteral("KESTROVA_RECORDING_FILE"),
                QStringLiteral("KESTROVA_IDLE_SECONDS")});
        ASSERT_TRUE(update.waitForFinished());
        ASSERT_EQ(update.exitCode(), 0) << update.readAll().toStdString();
    }

    QString gio(const QStringList& arguments)
    {
        QProcess tool;
        tool.setProcessEnvironment(sessionEnvironment());
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(QStringLiteral("gio"), arguments);
        EXPECT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAll().toStdString();
        return QString::fromUtf8(tool.readAll());
    }
};

}

TEST_F(DesktopActivation, OpeningAShortcutFileStartsTheInstalledServiceOverTheBus)
{
    handEnvironmentToBus();
    putOnShare(QStringLiteral("Projects/plan.txt"), "the plan\n");
    const QString shortcut =
        writeShortcut(QStringLiteral("plan.lnk"), share(), QStringLiteral("Projects\\plan.txt"));
    EXPECT_TRUE(gio({QStringLiteral("mime"), QStringLiteral("application/x-ms-shortcut")})
                    .contains(QStringLiteral(": com.dovrane.Kestrova.desktop")));
    ASSERT_FALSE(instanceProcess());

    QProcess open;
    open.setProcessEnvironment(sessionEnvironment());
    open.start(QStringLiteral("gio"), {QStringLiteral("open"), shortcut});
    ASSERT_TRUE(DesktopUser::connectAsGuest()) << "the share's password question did not show";
    const std::optional<QJsonObject> record = waitForViewer();
    ASSERT_TRUE(record) << "the viewer was not started";
    EXPECT_EQ(argumentsOf(*record), QStringList {mountedPath(QStringLiteral("Projects/plan.txt"))});
    ASSERT_TRUE(open.waitForFinished(60000));
    EXPECT_EQ(open.exitCode(), 0) << open.readAllStandardError().toStdString();

    const std::optional<qint64> instance = instanceProcess();
    ASSERT_TRUE(instance) << "no instance owns the bus name";
    // The bus ran the installed kestrova, which became the installed full program.
    EXPECT_EQ(QFileInfo(QStringLiteral("/proc/%1/exe").arg(*instance)).symLinkTarget(),
        QDir(prefix()).absoluteFilePath(QStringLiteral("libexec/kestrova/kestrova-app")));
    // The started instance quits once it has been idle for its idle time.
    const QDeadlineTimer deadline(20000);
    while (instanceProcess() && !deadline.hasExpired())
        QThread::msleep(100);
    EXPECT_FALSE(instanceProcess()) << "the instance did not quit when idle";
}
