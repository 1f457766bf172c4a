#include "workspace/ApplicationWindows.h"

#include "support/Eventually.h"

#include <QHash>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

WindowFacts window(
    quint32 id, std::optional<qint64> pid, const char* instance, const char* className)
{
    return WindowFacts {id, pid, instance, className};
}

// A fake process tree: 100 launched a wrapper script 200, which started 300.
ProcessTable::ParentLookup tree()
{
    const QHash<qint64, qint64> parents {{200, 100}, {300, 200}, {400, 1}, {500, 1}};
    return [parents](qint64 pid) -> std::optional<qint64> {
        if (!parents.contains(pid))
            return std::nullopt;
        return parents.value(pid);
    };
}

const QStringList kViewerClasses {u"recording-viewer"_s};

TEST(ApplicationWindows, GroupsWindowsIntoInstancesLaunchedOnesFirst)
{
    // Launched processes without windows are still launching, most recent first.
    QList<ApplicationInstance> instances = ApplicationWindows::instancesOf(
        {window(7, 400, "other", "Other")}, kViewerClasses, {500, 100}, tree());
    ASSERT_EQ(instances.size(), 2);
    EXPECT_EQ(instances[0].pid, 500);
    EXPECT_EQ(instances[1].pid, 100);
    EXPECT_TRUE(instances[1].launchedHere);
    EXPECT_TRUE(instances[1].windows.isEmpty());

    // Windows of any class behind a wrapper script are the launched instance's.
    instances = ApplicationWindows::instancesOf(
        {window(7, 300, "soffice", "Soffice"), window(8, 300, "recording-viewer", "R")},
        kViewerClasses, {100}, tree());
    ASSERT_EQ(instances.size(), 1);
    EXPECT_EQ(instances[0].windows, QList<quint32>({7, 8}));

    // Other instances follow, grouped by process in window order. Either class name counts,
    // in any case, but only as a whole; an empty name matches nothing.
    instances = ApplicationWindows::instancesOf(
        {window(1, 500, "Recording-Viewer", "R"), window(2, {}, "x", "RECORDING-VIEWER"),
            window(3, 400, "recording", "viewer"), window(4, 500, "recording-viewer", "R"),
            window(5, 300, "recording-viewer", "R"), window(6, 400, "", "")},
        {u"recording-viewer"_s, QString()}, {100}, tree());
    ASSERT_EQ(instances.size(), 3);
    EXPECT_EQ(instances[0].pid, 100);
    EXPECT_EQ(instances[0].windows, QList<quint32>({5}));
    EXPECT_EQ(instances[1].pid, 500);
    EXPECT_EQ(instances[1].windows, QList<quint32>({1, 4}));
    EXPECT_FALSE(instances[2].pid.has_value());
    EXPECT_EQ(instances[2].windows, QList<quint32>({2}));
}

TEST(ProcessTable, AncestryWalkEndsOnLoopsAndUnknownProcesses)
{
    const ProcessTable::ParentLookup loop = [](qint64 pid) -> std::optional<qint64> {
        return pid == 10 ? 11 : 10;
    };
    EXPECT_FALSE(ProcessTable::isSelfOrDescendantOf(10, 99, loop));
    EXPECT_TRUE(ProcessTable::isSelfOrDescendantOf(300, 100, tree()));
    EXPECT_FALSE(ProcessTable::isSelfOrDescendantOf(100, 300, tree()));
    EXPECT_FALSE(ProcessTable::isSelfOrDescendantOf(999, 100, tree()));
}

TEST(ProcessTable, ReadsLiveProcessesAndCountsUnreapedChildrenGone)
{
    EXPECT_TRUE(ProcessTable::isAlive(getpid()));
    EXPECT_EQ(ProcessTable::parentOf(getpid()), qint64(getppid()));
    EXPECT_TRUE(ProcessTable::isSelfOrDescendantOf(getpid(), getppid()));
    EXPECT_FALSE(ProcessTable::isAlive(0));
    EXPECT_FALSE(ProcessTable::isAlive(-1));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    // Until it is reaped, the exited child stays in /proc as a zombie.
    EXPECT_TRUE(eventually([&] { return !ProcessTable::isAlive(child); }));
    EXPECT_TRUE(ProcessTable::parentOf(child).has_value()) << "the zombie should still be listed";
    waitpid(child, nullptr, 0);
}

}
