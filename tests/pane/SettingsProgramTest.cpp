#include "PaneTest.h"
#include "support/ProgramRun.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <functional>

// kestrova-settings as the desktop runs it: one window per session, and the table
// stored however the program is asked to end.
namespace {

const QString busName = QStringLiteral("com.dovrane.Kestrova.Settings");

class SettingsProgram : public PaneTest {
protected:
    void TearDown() override
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished();
        }
        PaneTest::TearDown();
    }

    void start()
    {
        m_program.setProcessEnvironment(programEnvironment());
        m_program.start(QStringLiteral(KESTROVA_SETTINGS_BINARY), {});
        ASSERT_TRUE(m_program.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return activeWindowName() == QStringLiteral("Kestrova Settings"); }, 20000));
    }

    static QString activeWindowName()
    {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"),
            {QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")});
        xdotool.waitForFinished();
        return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
    }

    QDBusConnection m_connection = m_bus.connect();
    QProcess m_program;
};

struct Ending {
    const char* name;
    std::function<void(QProcess&)> ask;
};

// Names the case in test listings.
void PrintTo(const Ending& row, std::ostream* out)
{
    *out << row.name;
}

class EndingSettingsProgram : public SettingsProgram,
                              public testing::WithParamInterface<Ending> { };

}

// A second start raises the first window and ends; the first, however asked to end, stores
// the table and tells the other programs.
TEST_P(EndingSettingsProgram, OneWindowPerSessionThatStoresTheTableWhenItEnds)
{
    start();
    ASSERT_TRUE(m_connection.interface()->isServiceRegistered(busName).value());
    QWidget other;
    other.setWindowTitle(QStringLiteral("Another application"));
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return activeWindowName() == QStringLiteral("Another application"); }));
    const ProgramRun second =
        runProgram(QStringLiteral(KESTROVA_SETTINGS_BINARY), {}, programEnvironment());
    EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();
    EXPECT_TRUE(
        QTest::qWaitFor([] { return activeWindowName() == QStringLiteral("Kestrova Settings"); }));

    PreferencesNotifier listener(m_bus.connect(), QStringLiteral("com.dovrane.Kestrova"));
    QSignalSpy notified(&listener, &PreferencesNotifier::changed);
    GetParam().ask(m_program);
    ASSERT_TRUE(m_program.waitForFinished(20000));
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program.exitCode(), 0);
    // With no list stored, leaving the window stores an empty one.
    EXPECT_EQ(storedSettings().value(QStringLiteral("driveMapping")), QJsonValue(QJsonArray()));
    EXPECT_TRUE(!notified.isEmpty() || notified.wait(5000));
    EXPECT_FALSE(QFile::exists(m_folder.filePath(QStringLiteral("state/kestrova/exceptions.log"))));
}

INSTANTIATE_TEST_SUITE_P(SettingsProgram, EndingSettingsProgram,
    testing::Values(Ending {"TerminationSignal",
                        [](QProcess& program) { ::kill(pid_t(program.processId()), SIGTERM); }},
        Ending {"Hangup", [](QProcess& program) { ::kill(pid_t(program.processId()), SIGHUP); }},
        Ending {"WindowManagerClose",
            [](QProcess&) {
                QProcess::execute(
                    QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+F4")});
            }}),
    [](const testing::TestParamInfo<Ending>& row) { return std::string(row.param.name); });
