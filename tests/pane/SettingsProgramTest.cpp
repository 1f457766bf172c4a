#include "PaneTest.h"
#include "support/ProgramRun.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

struct Ending {
    const char* name;
    int signal; // none: the window manager closes the window
};

QString activeWindowName()
{
    return runProgram(u"xdotool"_s, {u"getactivewindow"_s, u"getwindowname"_s}).output.trimmed();
}

class SettingsProgram : public PaneTest, public testing::WithParamInterface<Ending> {
protected:
    void TearDown() override
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished();
        }
        PaneTest::TearDown();
    }
    QProcess m_program;
};

}

// A second start raises the first window; the first stores the table however it ends.
TEST_P(SettingsProgram, OneWindowPerSessionThatStoresTheTableWhenItEnds)
{
    m_program.setProcessEnvironment(programEnvironment());
    m_program.start(QStringLiteral(KESTROVA_SETTINGS_BINARY), {});
    ASSERT_TRUE(m_program.waitForStarted());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return activeWindowName() == u"Kestrova Settings"_s; }, 20000));
    ASSERT_TRUE(m_bus.connect()
                    .interface()
                    ->isServiceRegistered(u"com.dovrane.Kestrova.Settings"_s)
                    .value());
    QWidget other;
    other.setWindowTitle(u"Another application"_s);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([] { return activeWindowName() == u"Another application"_s; }));
    const ProgramRun second =
        runProgram(QStringLiteral(KESTROVA_SETTINGS_BINARY), {}, programEnvironment());
    EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([] { return activeWindowName() == u"Kestrova Settings"_s; }));
    PreferencesNotifier listener(m_bus.connect(), u"com.dovrane.Kestrova"_s);
    QSignalSpy notified(&listener, &PreferencesNotifier::changed);
    if (GetParam().signal)
        ::kill(pid_t(m_program.processId()), GetParam().signal);
    else
        QProcess::execute(u"xdotool"_s, {u"key"_s, u"alt+F4"_s});
    ASSERT_TRUE(m_program.waitForFinished(20000));
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program.exitCode(), 0);
    // With no list stored, leaving the window stores an empty one.
    EXPECT_EQ(storedSettings().value(u"driveMapping"_s), QJsonValue(QJsonArray()));
    EXPECT_TRUE(!notified.isEmpty() || notified.wait(5000));
    EXPECT_FALSE(QFile::exists(m_folder.filePath(u"state/kestrova/exceptions.log"_s)));
}

INSTANTIATE_TEST_SUITE_P(SettingsProgram, SettingsProgram,
    testing::Values(Ending {"TerminationSignal", SIGTERM}, Ending {"Hangup", SIGHUP},
        Ending {"WindowManagerClose", 0}),
    rowName<Ending>);
