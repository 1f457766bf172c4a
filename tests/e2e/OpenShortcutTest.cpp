#include "EndToEndTest.h"
#include "support/Eventually.h"
#include "support/FileServer.h"

#include <QFile>

using namespace Qt::StringLiterals;

// kestrova open as the desktop runs it for a double click: the target opens in its default
// application (the recording viewer).
namespace {

using OpenShortcut = EndToEndTest;

}

// The share is mounted on the way; the instance opens the targets, in front.
TEST_F(OpenShortcut, LaterInvocationsAreServedByTheRunningInstance)
{
    putOnShare(u"plans/a.txt"_s, "first\n");
    putOnShare(u"plans/b.txt"_s, "second\n");
    QProcessEnvironment environment = m_desktop.environment();
    environment.insert(u"KESTROVA_IDLE_SECONDS"_s, u"600"_s);
    const qint64 servicePid = start({u"service"_s}, environment).processId();
    ASSERT_TRUE(
        eventually([&] { return instanceProcess() == servicePid; }, std::chrono::seconds(20)))
        << "kestrova service did not take its name";
    ASSERT_FALSE(FileServer::gvfsFolder(kShare));

    QProcess& first = start({u"open"_s, writeShortcut(u"a.lnk"_s, u"plans\\a.txt"_s)});
    ASSERT_TRUE(connectAsGuest()) << "the share's password question did not show";
    const QStringList opened = viewerArguments(1); // waits, then the share is mounted
    EXPECT_EQ(opened, QStringList {mountedPath(u"plans/a.txt"_s)});
    const qint64 viewer = viewerRecords().value(0).value(u"pid"_s).toInteger();
    EXPECT_TRUE(
        eventually([&] { return activeWindowProcess() == viewer; }, std::chrono::seconds(10)))
        << "the viewer's window is not in front";
    EXPECT_EQ(finish(first).exitCode, 0);
    const ProgramRun second = run({u"open"_s, writeShortcut(u"b.lnk"_s, u"plans\\b.txt"_s)});
    EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();

    EXPECT_EQ(viewerArguments(2), QStringList {mountedPath(u"plans/b.txt"_s)});
    EXPECT_EQ(viewerRecords().size(), 2) << "one start for each open";
    // The startup-notification ID of a launch names the process that launched it.
    for (const QJsonObject& record : viewerRecords()) {
        const QString startupId = record.value(u"startupId"_s).toString();
        EXPECT_TRUE(startupId.startsWith(u"kestrova-%1-"_s.arg(servicePid)))
            << "not launched by the running instance: " << startupId.toStdString();
    }
    EXPECT_EQ(instanceProcess(), servicePid);
    const ProgramRun secondService = run({u"service"_s});
    EXPECT_EQ(secondService.exitCode, 2);
    EXPECT_TRUE(secondService.errors.contains(u"another instance runs"_s));
}

// File names are data: whatever they hold reaches the application as one argument, and
// nothing in them is run.
TEST_F(OpenShortcut, TargetNamesReachTheApplicationAsTheyAre)
{
    const QStringList names = {u"a;b & c.txt"_s, u"$(touch ran).txt"_s, u"`touch ran`.txt"_s,
        u"it's here.txt"_s, u"-rf.txt"_s, u"100%20 sure.txt"_s, u"Übersicht/café plan.txt"_s};
    ASSERT_TRUE(FileServer::gioMount(kShare));
    qsizetype opened = 0;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        putOnShare(name, "text\n");
        const ProgramRun result =
            run({u"open"_s, writeShortcut(u"target.lnk"_s, QString(name).replace(u'/', u'\\'))});
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        EXPECT_EQ(viewerArguments(++opened), QStringList {mountedPath(name)});
    }
    EXPECT_FALSE(QFile::exists(m_work.filePath(u"ran"_s)));
}
