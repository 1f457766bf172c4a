// The workspace on a real X server with an EWMH window manager, on a private session bus.
#include "support/Eventually.h"
#include "support/Files.h"
#include "support/SessionBus.h"
#include "tools/PrivateDesktopSetup.h"
#include "workspace/Workspace.h"
#include "workspace/X11Session.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const QString kViewer = QLatin1String(PrivateDesktop::kViewerId);

class OnDesktop : public testing::Test {
protected:
    // Without a bus address, GIO and the viewers would start a bus of their own.
    void SetUp() override
    {
        ASSERT_TRUE(SessionBus::isPrivate()) << "run under tests/harness/with-session-bus";
        const std::shared_ptr<X11Session> session = m_workspace.x11Session();
        if (!session || !session->hasWindowManager())
            GTEST_SKIP() << "needs an X server with an EWMH window manager (ctest runs it under "
                            "with-xvfb and with-desktop)";
    }
    void TearDown() override
    {
        for (qint64 pid : m_started)
            ::kill(pid_t(pid), SIGTERM);
    }

    qint64 launchViewer(const QString& name)
    {
        const QString file = writeFile(m_folder.filePath(name), "words\n");
        const std::optional<DesktopApplication> viewer = m_workspace.applicationForFile(file);
        if (!viewer || viewer->id() != kViewer)
            return 0;
        const LaunchResult result = m_workspace.openFile(file, *viewer);
        if (!result || !result.pid)
            return 0;
        m_started << *result.pid;
        return *result.pid;
    }

    std::optional<RunningApplication> instance(qint64 pid)
    {
        for (const RunningApplication& running : m_workspace.runningApplications(kViewer)) {
            if (running.pid() == pid)
                return running;
        }
        return std::nullopt;
    }

    bool becomes(qint64 pid, bool (RunningApplication::*state)() const)
    {
        return eventually(
            [&] {
                const std::optional<RunningApplication> running = instance(pid);
                return running && (*running.*state)();
            },
            std::chrono::seconds(10));
    }

    Workspace m_workspace;
    QTemporaryDir m_folder;
    QList<qint64> m_started;
};

// A launched viewer is launching until its window maps, then the user's new window gets
// the focus; activating an older instance brings its window to the front.
TEST_F(OnDesktop, LaunchedInstancesAreFollowedUntilActivated)
{
    qputenv("KESTROVA_RECORDING_WINDOW_DELAY_MS", "1500");
    const qint64 first = launchViewer(u"delayed.txt"_s);
    qunsetenv("KESTROVA_RECORDING_WINDOW_DELAY_MS");
    ASSERT_GT(first, 0);
    const std::optional<RunningApplication> launching = instance(first);
    ASSERT_TRUE(launching) << "a launched process is running before it shows a window";
    EXPECT_FALSE(launching->isFinishedLaunching());
    EXPECT_FALSE(launching->isActive());
    EXPECT_FALSE(launching->activate()) << "nothing to activate yet";
    ASSERT_TRUE(becomes(first, &RunningApplication::isFinishedLaunching));
    const QJsonObject record = privateDesktop().records().value(0);
    EXPECT_EQ(record.value(u"pid"_s).toInteger(), first);
    EXPECT_TRUE(record.value(u"startupId"_s).toString().contains(u"_TIME"))
        << "the viewer's entry asks for startup notification";

    const qint64 second = launchViewer(u"second.txt"_s);
    ASSERT_TRUE(becomes(second, &RunningApplication::isActive));
    const QList<RunningApplication> running = m_workspace.runningApplications(kViewer);
    ASSERT_GE(running.size(), 2);
    EXPECT_EQ(running[0].pid(), second) << "most recent launch first";
    const std::optional<RunningApplication> older = instance(first);
    ASSERT_TRUE(older);
    EXPECT_FALSE(older->isActive());
    ASSERT_TRUE(older->activate());
    ASSERT_TRUE(becomes(first, &RunningApplication::isActive));
    EXPECT_EQ(m_workspace.x11Session()->activeWindow(), older->windows().last());

    // A viewer started as if from a terminal: only WM_CLASS ties it to the desktop entry.
    QProcess viewer;
    viewer.start(QStringLiteral(KESTROVA_RECORDING_VIEWER), {u"elsewhere.txt"_s});
    ASSERT_TRUE(viewer.waitForStarted());
    m_started << viewer.processId();
    ASSERT_TRUE(becomes(viewer.processId(), &RunningApplication::isFinishedLaunching));
    EXPECT_EQ(instance(viewer.processId())->windows().size(), 1);
    EXPECT_TRUE(m_workspace.runningApplications(QLatin1String(PrivateDesktop::kDecoyId)).isEmpty())
        << "another application's entry does not claim the viewer's windows";
}

}
