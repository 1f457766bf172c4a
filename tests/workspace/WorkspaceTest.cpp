#include "workspace/Workspace.h"

#include "support/Eventually.h"
#include "support/Files.h"
#include "tools/PrivateDesktopSetup.h"
#include "workspace/DesktopApplication.h"
#include "workspace/ItemKind.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <gio/gdesktopappinfo.h>

using namespace Qt::StringLiterals;

namespace {

// The first bytes decide for a file without a telling name ("scan").
TEST(Workspace, DefaultApplicationFollowsContentTypeAndMimeappsList)
{
    const struct {
        const char* name;
        QByteArray contents;
        const char* contentType;
        const char* handler; // empty: none
    } rows[] = {{"minutes.doc", "\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", "application/msword",
                    PrivateDesktop::kViewerId},
        {"plan.pdf", "%PDF-1.4\n", "application/pdf", PrivateDesktop::kViewerId},
        {"notes.txt", "plain words\n", "text/plain", PrivateDesktop::kViewerId},
        {"scan", "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n", "application/pdf", PrivateDesktop::kViewerId},
        {"picture.png", "\x89PNG\r\n\x1a\n", "image/png", ""}};
    QTemporaryDir folder;
    Workspace workspace;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = writeFile(folder.filePath(QString::fromUtf8(row.name)), row.contents);
        EXPECT_EQ(workspace.contentTypeForFile(path), QLatin1String(row.contentType));
        const std::optional<DesktopApplication> handler = workspace.applicationForFile(path);
        EXPECT_EQ(handler ? handler->id() : QString(), QLatin1String(row.handler));
    }
}

TEST(DesktopApplication, WindowClassesFollowDesktopEntry)
{
    const std::optional<DesktopApplication> viewer =
        DesktopApplication::fromId(QLatin1String(PrivateDesktop::kViewerId));
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->executableName(), QLatin1String("recording-viewer"));
    EXPECT_EQ(viewer->windowClassNames(),
        QStringList({u"kestrova-recording-viewer"_s, u"recording-viewer"_s}));

    const std::optional<DesktopApplication> decoy =
        DesktopApplication::fromId(QLatin1String(PrivateDesktop::kDecoyId));
    ASSERT_TRUE(decoy);
    EXPECT_EQ(decoy->executableName(), QLatin1String("false"))
        << "env and its variables are looked through";
    EXPECT_EQ(decoy->windowClassNames(), QStringList({u"DecoyViewer"_s}));

    EXPECT_FALSE(DesktopApplication::fromId(u"no-such-application.desktop"_s));
}

TEST(Workspace, ReportsLaunchThatGioRefuses)
{
    // A terminal application where no terminal emulator can be found on PATH.
    QTemporaryDir folder;
    const QByteArray entry = QFile::encodeName(writeFile(folder.filePath(u"console.desktop"_s),
        "[Desktop Entry]\nType=Application\nName=Console tool\nExec=/bin/true "
        "%F\nTerminal=true\n"));
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(entry.constData());
    ASSERT_TRUE(info);
    const DesktopApplication consoleTool(GObjectRef<GAppInfo>::adopt(G_APP_INFO(info)));
    const QString path = writeFile(folder.filePath(u"a.txt"_s), "a");
    const QByteArray searchPath = qgetenv("PATH");
    qputenv("PATH", folder.path().toUtf8());
    Workspace workspace;
    const LaunchResult result = workspace.openFile(path, consoleTool);
    qputenv("PATH", searchPath);
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.pid);
    EXPECT_TRUE(result.errorMessage.contains(QLatin1String("terminal")))
        << result.errorMessage.toStdString();
}

// Without a reachable X server nothing is found running, even right after a launch.
TEST(WorkspaceWithoutDisplay, LaunchesButFindsNothingRunning)
{
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":9731");
    EXPECT_FALSE(Workspace().x11Session());
    qunsetenv("DISPLAY");
    QTemporaryDir folder;
    const QString path = writeFile(folder.filePath(u"minutes.txt"_s), "words\n");
    Workspace workspace;
    const std::optional<DesktopApplication> viewer = workspace.applicationForFile(path);
    ASSERT_TRUE(viewer);
    const LaunchResult result = workspace.openFile(path, *viewer);
    if (!display.isEmpty())
        qputenv("DISPLAY", display);
    ASSERT_TRUE(result) << result.errorMessage.toStdString();
    EXPECT_TRUE(result.pid);
    EXPECT_FALSE(workspace.x11Session());
    EXPECT_TRUE(workspace.runningApplications(QLatin1String(PrivateDesktop::kViewerId)).isEmpty());

    // The viewer records its arguments before it finds that there is no display.
    ASSERT_TRUE(eventually([] { return !privateDesktop().records().isEmpty(); }));
    const QJsonObject record = privateDesktop().records().last();
    EXPECT_EQ(record.value(u"arguments"_s).toArray().first().toString(), path);
    EXPECT_EQ(record.value(u"startupId"_s).toString(), QString())
        << "no startup ID without an X server";
}

TEST(ItemKind, KindsOfFilesFoldersAndVolumes)
{
    QTemporaryDir folder;
    const QString plain = writeFile(folder.filePath(u"a.doc"_s), "x");
    const QString tool = writeFile(folder.filePath(u"tool"_s), "#!/bin/sh\n");
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString launcher = writeFile(
        folder.filePath(u"r.desktop"_s), "[Desktop Entry]\nType=Application\nName=R\nExec=true\n");
    const QString link = writeFile(
        folder.filePath(u"l.desktop"_s), "[Desktop Entry]\nType=Link\nName=L\nURL=file:///\n");
    QDir(folder.path()).mkpath(u"Viewer.app"_s);

    EXPECT_EQ(ItemKindOf::path(plain), ItemKinds(ItemKind::PlainFile));
    EXPECT_EQ(ItemKindOf::path(tool), ItemKind::PlainFile | ItemKind::Application);
    EXPECT_EQ(ItemKindOf::path(launcher), ItemKind::PlainFile | ItemKind::Application);
    EXPECT_EQ(ItemKindOf::path(link), ItemKinds(ItemKind::PlainFile));
    EXPECT_EQ(ItemKindOf::path(folder.path()), ItemKinds(ItemKind::Container));
    EXPECT_EQ(ItemKindOf::path(folder.filePath(u"Viewer.app"_s)),
        ItemKind::Container | ItemKind::Package);
    EXPECT_EQ(ItemKindOf::path(u"/"_s), ItemKind::Container | ItemKind::Volume);
    EXPECT_EQ(ItemKindOf::path(u"/proc"_s), ItemKind::Container | ItemKind::Volume);
    EXPECT_FALSE(ItemKindOf::path(folder.filePath(u"missing"_s)));
}

}
