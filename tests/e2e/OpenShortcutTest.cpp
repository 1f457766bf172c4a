#include "DesktopUser.h"
#include "EndToEndTest.h"
#include "support/FileServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

// kestrova open on shortcuts to files on the SMB share, as the desktop runs it for a
// double click: the share is mounted on the way, and the target opens in its default
// application (the recording viewer), in front.
namespace {

class OpenShortcut : public EndToEndTest {
protected:
    // Waits until a window of the process is the active one.
    static bool comesToFront(qint64 pid)
    {
        const QDeadlineTimer deadline(10000);
        while (DesktopUser::activeWindowProcess() != pid && !deadline.hasExpired())
            QThread::msleep(50);
        return DesktopUser::activeWindowProcess() == pid;
    }
};

}

TEST_F(OpenShortcut, MountsTheShareAndOpensTheTargetInFront)
{
    putOnShare(QStringLiteral("Reports/Q3 summary.txt"), "Sales went up.\n");
    const QString shortcut = writeShortcut(
        QStringLiteral("Q3 summary.lnk"), share(), QStringLiteral("Reports\\Q3 summary.txt"));
    ASSERT_FALSE(FileServer::gvfsFolder(share()));

    QProcess& open = start({QStringLiteral("open"), shortcut});
    ASSERT_TRUE(DesktopUser::connectAsGuest()) << "the share's password question did not show";
    const std::optional<QJsonObject> record = waitForViewer();
    ASSERT_TRUE(record) << "the viewer was not started";
    EXPECT_EQ(
        argumentsOf(*record), QStringList {mountedPath(QStringLiteral("Reports/Q3 summary.txt"))});
    EXPECT_TRUE(comesToFront(record->value(QStringLiteral("pid")).toInteger()))
        << "the viewer's window is not in front";

    const ProgramRun result = finish(open);
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(FileServer::gvfsFolder(share())) << "the share is not mounted afterwards";
    EXPECT_EQ(viewerRecords().size(), 1);
}

TEST_F(OpenShortcut, LaterInvocationsAreServedByTheRunningInstance)
{
    putOnShare(QStringLiteral("plans/a.txt"), "first\n");
    putOnShare(QStringLiteral("plans/b.txt"), "second\n");
    const QProcess& service = startService();
    const qint64 servicePid = service.processId();

    QProcess& first = start({QStringLiteral("open"),
        writeShortcut(QStringLiteral("a.lnk"), share(), QStringLiteral("plans\\a.txt"))});
    ASSERT_TRUE(DesktopUser::connectAsGuest());
    EXPECT_EQ(finish(first).exitCode, 0);
    const ProgramRun second = run({QStringLiteral("open"),
        writeShortcut(QStringLiteral("b.lnk"), share(), QStringLiteral("plans\\b.txt"))});
    EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();

    ASSERT_TRUE(waitForViewer(2));
    const QList<QJsonObject> records = viewerRecords();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(argumentsOf(records[0]), QStringList {mountedPath(QStringLiteral("plans/a.txt"))});
    EXPECT_EQ(argumentsOf(records[1]), QStringList {mountedPath(QStringLiteral("plans/b.txt"))});
    // The startup-notification ID of a launch names the process that launched it.
    const QString launcher = QStringLiteral("kestrova-%1-").arg(servicePid);
    for (const QJsonObject& record : records)
        EXPECT_TRUE(record.value(QStringLiteral("startupId")).toString().startsWith(launcher))
            << "not launched by the running instance: "
            << record.value(QStringLiteral("startupId")).toString().toStdString();
    EXPECT_EQ(instanceProcess(), servicePid);
    const ProgramRun secondService = run({QStringLiteral("service")});
    EXPECT_EQ(secondService.exitCode, 2);
    EXPECT_TRUE(secondService.errors.contains(QStringLiteral("another instance runs")));
}

// File names are data: whatever they hold reaches the application as one argument, and
// nothing in them is run.
TEST_F(OpenShortcut, TargetNamesReachTheApplicationAsTheyAre)
{
    const QString marker = m_work.filePath(QStringLiteral("ran"));
    const QStringList names = {QStringLiteral("a;b & c.txt"),
        QStringLiteral("$(touch %1).txt").arg(QStringLiteral("ran")),
        QStringLiteral("`touch ran`.txt"), QStringLiteral("it's here.txt"),
        QStringLiteral("-rf.txt"), QStringLiteral("100%20 sure.txt"),
        QStringLiteral("Übersicht/café plan.txt")};
    mountShare();
    qsizetype opened = 0;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        putOnShare(name, "text\n");
        QString suffix = name;
        const ProgramRun result = run({QStringLiteral("open"),
            writeShortcut(QStringLiteral("target.lnk"), share(),
                suffix.replace(QLatin1Char('/'), QLatin1Char('\\')))});
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        const std::optional<QJsonObject> record = waitForViewer(++opened);
        ASSERT_TRUE(record);
        EXPECT_EQ(argumentsOf(*record), QStringList {mountedPath(name)});
    }
    EXPECT_FALSE(QFile::exists(marker));
}
