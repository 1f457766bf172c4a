// The workspace on a real X server with an EWMH window manager: run by ctest under
// with-xvfb and with-desktop (tests/harness), with a private session bus.
#include "support/Eventually.h"
#include "tools/PrivateDesktopSetup.h"
#include "workspace/Workspace.h"
#include "workspace/X11Session.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

const QString kViewer = QLatin1String(PrivateDesktop::kViewerId);

bool waitFor(const std::function<bool()>& condition)
{
    return eventually(condition, std::chrono::seconds(10));
}

std::optional<RunningApplication> instanceWithPid(Workspace& workspace, qint64 pid)
{
    for (const RunningApplication& running : workspace.runningApplications(kViewer)) {
        if (running.pid() == pid)
            return running;
    }
    return std::nullopt;
}

class OnDesktop : public testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP()
                << "needs an X server with a window manager (ctest runs it under with-desktop)";
        std::shared_ptr<X11Session> session = m_workspace.x11Session();
        ASSERT_TRUE(session);
        if (!session->hasWindowManager())
            GTEST_SKIP() << "needs an EWMH window manager (ctest runs it under with-desktop)";
    }
    void TearDown() override
    {
        for (qint64 pid : m_started)
            ::kill(pid_t(pid), SIGTERM);
    }

    qint64 launchViewer(const QString& name)
    {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("words\n") != 6)
            return 0;
        file.close();
        const std::optional<DesktopApplication> viewer = m_workspace.applicationForFile(path);
        if (!viewer || viewer->id() != kViewer)
            return 0;
        const LaunchResult result = m_workspace.openFile(path, *viewer);
        if (!result || !result.pid)
            return 0;
        m_started << *result.pid;
        return *result.pid;
    }

    Workspace m_workspace;
    QTemporaryDir m_folder;
    QList<qint64> m_started;
};

TEST_F(OnDesktop, LaunchedViewerIsLaunchingUntilItsWindowMaps)
{
    qputenv("KESTROVA_RECORDING_WINDOW_DELAY_MS", "1500");
    const qint64 pid = launchViewer(QStringLiteral("delayed.txt"));
    qunsetenv("KESTROVA_RECORDING_WINDOW_DELAY_MS");
    ASSERT_GT(pid, 0);

    const std::optional<RunningApplication> launching = instanceWithPid(m_workspace, pid);
    ASSERT_TRUE(launching) << "a launched process is running before it shows a window";
    EXPECT_FALSE(launching->isFinishedLaunching());
    EXPECT_FALSE(launching->isActive());
    EXPECT_FALSE(launching->activate()) << "nothing to activate yet";
    EXPECT_EQ(m_workspace.runningApplications(kViewer).first().pid(), pid);

    ASSERT_TRUE(waitFor([&] {
        const std::optional<RunningApplication> running = instanceWithPid(m_workspace, pid);
        return running && running->isFinishedLaunching();
    }));
    const QList<QJsonObject> records = privateDesktop().records();
    ASSERT_FALSE(records.isEmpty());
    EXPECT_EQ(records.last().value(QStringLiteral("pid")).toInteger(), pid);
    EXPECT_EQ(records.last().value(QStringLiteral("arguments")).toArray().first().toString(),
        m_folder.filePath(QStringLiteral("delayed.txt")));
    EXPECT_TRUE(records.last()
                    .value(QStringLiteral("startupId"))
                    .toString()
                    .contains(QLatin1String("_TIME")))
        << "the viewer's entry asks for startup notification";
}

TEST_F(OnDesktop, ActivationMakesInstanceTheActiveWindow)
{
    const qint64 first = launchViewer(QStringLiteral("first.txt"));
    ASSERT_GT(first, 0);
    ASSERT_TRUE(waitFor([&] {
        const std::optional<RunningApplication> running = instanceWithPid(m_workspace, first);
        return running && running->isFinishedLaunching();
    }));
    const qint64 second = launchViewer(QStringLiteral("second.txt"));
    ASSERT_GT(second, 0);
    ASSERT_TRUE(waitFor([&] {
        const std::optional<RunningApplication> running = instanceWithPid(m_workspace, second);
        return running && running->isActive();
    })) << "a new window the user asked for gets the focus";

    const QList<RunningApplication> running = m_workspace.runningApplications(kViewer);
    ASSERT_GE(running.size(), 2);
    EXPECT_EQ(running[0].pid(), second) << "most recent launch first";
    const std::optional<RunningApplication> older = instanceWithPid(m_workspace, first);
    ASSERT_TRUE(older);
    EXPECT_FALSE(older->isActive());
    ASSERT_TRUE(older->activate());
    ASSERT_TRUE(waitFor([&] {
        const std::optional<RunningApplication> again = instanceWithPid(m_workspace, first);
        return again && again->isActive();
    }));
    EXPECT_EQ(m_workspace.x11Session()->activeWindow(), older->windows().last());
}

TEST_F(OnDesktop, InstanceStartedElsewhereIsFoundByWindowClass)
{
    // Started without the workspace, as if from a terminal: only its window's WM_CLASS
    // ties it to the desktop entry (through the program's name in Exec).
    QProcess viewer;
    viewer.setProgram(QStringLiteral(KESTROVA_RECORDING_VIEWER));
    viewer.setArguments({QStringLiteral("elsewhere.txt")});
    viewer.start();
    ASSERT_TRUE(viewer.waitForStarted());
    m_started << viewer.processId();

    ASSERT_TRUE(
        waitFor([&] { return instanceWithPid(m_workspace, viewer.processId()).has_value(); }));
    const std::optional<RunningApplication> running =
        instanceWithPid(m_workspace, viewer.processId());
    EXPECT_TRUE(running->isFinishedLaunching());
    EXPECT_EQ(running->windows().size(), 1);
    EXPECT_TRUE(m_workspace.runningApplications(QLatin1String(PrivateDesktop::kDecoyId)).isEmpty())
        << "another application's entry does not claim the viewer's windows";
    viewer.terminate();
    viewer.waitForFinished();
}

}
