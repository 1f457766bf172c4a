#include "workspace/Workspace.h"

#include "support/Eventually.h"
#include "support/Files.h"
#include "support/ShellLinkWriter.h"
#include "tools/PrivateDesktopSetup.h"
#include "workspace/ApplicationWindows.h"
#include "workspace/DesktopApplication.h"
#include "workspace/ExecuteBit.h"
#include "workspace/ItemKind.h"
#include "workspace/ProgramTarget.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <gio/gdesktopappinfo.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A fake process tree: 100 launched a wrapper script 200, which started 300.
ProcessTable::ParentLookup tree()
{
    const QHash<qint64, qint64> parents {{200, 100}, {300, 200}, {400, 1}, {500, 1}};
    return [parents](qint64 pid) {
        return parents.contains(pid) ? std::optional(parents.value(pid)) : std::nullopt;
    };
}

const QStringList kViewerClasses {u"recording-viewer"_s};

TEST(ApplicationWindows, GroupsWindowsIntoInstancesLaunchedOnesFirst)
{
    // Launched processes without windows are still launching, most recent first.
    QList<ApplicationInstance> instances = ApplicationWindows::instancesOf(
        {{7, 400, "other", "Other"}}, kViewerClasses, {500, 100}, tree());
    ASSERT_EQ(instances.size(), 2);
    EXPECT_EQ(instances[0].pid, 500);
    EXPECT_EQ(instances[1].pid, 100);
    EXPECT_TRUE(instances[1].launchedHere);
    EXPECT_TRUE(instances[1].windows.isEmpty());

    // Windows of any class behind a wrapper script are the launched instance's.
    instances = ApplicationWindows::instancesOf(
        {{7, 300, "soffice", "Soffice"}, {8, 300, "recording-viewer", "R"}}, kViewerClasses, {100},
        tree());
    ASSERT_EQ(instances.size(), 1);
    EXPECT_EQ(instances[0].windows, QList<quint32>({7, 8}));

    // Other instances follow, grouped by process in window order. Either class name counts,
    // in any case, but only as a whole; an empty name matches nothing.
    instances = ApplicationWindows::instancesOf(
        {{1, 500, "Recording-Viewer", "R"}, {2, {}, "x", "RECORDING-VIEWER"},
            {3, 400, "recording", "viewer"}, {4, 500, "recording-viewer", "R"},
            {5, 300, "recording-viewer", "R"}, {6, 400, "", ""}},
        {u"recording-viewer"_s, QString()}, {100}, tree());
    ASSERT_EQ(instances.size(), 3);
    EXPECT_EQ(instances[0].pid, 100);
    EXPECT_EQ(instances[0].windows, QList<quint32>({5}));
    EXPECT_EQ(instances[1].pid, 500);
    EXPECT_EQ(instances[1].windows, QList<quint32>({1, 4}));
    EXPECT_FALSE(instances[2].pid.has_value());
    EXPECT_EQ(instances[2].windows, QList<quint32>({2}));
}

TEST(ProcessTable, AncestryWalkEndsOnLoopsUnknownAndUnreapedProcesses)
{
    const ProcessTable::ParentLookup loop = [](qint64 pid) -> std::optional<qint64> {
        return pid == 10 ? 11 : 10;
    };
    EXPECT_FALSE(ProcessTable::isSelfOrDescendantOf(10, 99, loop));
    EXPECT_TRUE(ProcessTable::isSelfOrDescendantOf(300, 100, tree()));
    EXPECT_FALSE(ProcessTable::isSelfOrDescendantOf(100, 300, tree()));
    EXPECT_FALSE(ProcessTable::isSelfOrDescendantOf(999, 100, tree()));
    // Live processes, and an exited child that is not reaped yet.
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

TEST(ExecuteBit, CountsOnlyWhereTheFileSystemKeepsIt)
{
    const struct {
        const char* type;
        const char* options; // comma-separated super options
        const char* gvfsMount;
        bool bitCounts;
    } rows[] = {{"ext4", "", "", true}, {"nfs4", "vers=4.2", "", true}, {"zzfs", "", "", true},
        {"cifs", "vers=3.1.1,file_mode=0755,nounix,serverino", "", false},
        {"smb3", "vers=3.1.1,file_mode=0755,nounix", "", false},
        {"cifs", "vers=1.0,unix", "", true}, {"smb3", "vers=3.1.1,posix", "", true},
        {"vfat", "fmask=0022", "", false}, {"exfat", "", "", false},
        {"fuse.gvfsd-fuse", "", "smb-share:server=fs1,share=projects,user=anna", false},
        {"fuse.gvfsd-fuse", "", "nfs:host=fs1,prefix=%2Fexport", true},
        {"fuse.gvfsd-fuse", "", "sftp:host=fs1,user=anna", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.type) + " " + row.options + row.gvfsMount);
        EXPECT_EQ(ExecuteBit::meansSomethingOn({QString::fromLatin1(row.type),
                      QString::fromLatin1(row.options).split(u',', Qt::SkipEmptyParts),
                      QString::fromLatin1(row.gvfsMount)}),
            row.bitCounts);
    }
    // What cannot be looked at counts (a local file's bit counts in ProgramTarget.JudgesItems).
    EXPECT_TRUE(ExecuteBit::meansSomethingAt(u"/nonexistent/tool"_s));
}

const QByteArray kElfProgram = readFile(u"/bin/true"_s);
const QByteArray kText("Meeting notes\nNothing to run here.\n");
// The start of an OLE compound file, as .doc and .msi files have it.
const QByteArray kOleHeader("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8);
const QByteArray kWordDocument = kOleHeader + QByteArray(504, '\0');

// Link: a symbolic link named `name` to a file named `target`. InLinkedFolder: the file
// inside a folder reached through a link.
enum class Item { File, Link, InLinkedFolder, Folder, Missing };

struct Case {
    const char* name;
    Item item;
    QByteArray contents;
    mode_t mode;
    bool program;
    const char* reason = ""; // a part of one of the reasons, for programs
    const char* target = "";
};

QString make(const QDir& folder, const Case& row)
{
    const QString name = QString::fromUtf8(row.name);
    const QString target = folder.filePath(QString::fromUtf8(row.target));
    const auto write = [&row](const QString& path) {
        ASSERT_EQ(
            ::chmod(QFile::encodeName(writeFile(path, row.contents)).constData(), row.mode), 0);
    };
    if (row.item == Item::Folder)
        folder.mkpath(name);
    if (row.item == Item::Link) {
        write(target);
        QFile::link(target, folder.filePath(name));
    }
    if (row.item == Item::File || row.item == Item::InLinkedFolder)
        write(folder.filePath(name));
    if (row.item != Item::InLinkedFolder)
        return folder.filePath(name);
    QFile::link(folder.path(), folder.filePath(u"linked"_s));
    return folder.filePath(u"linked/"_s + name);
}

TEST(ProgramTarget, JudgesItems)
{
    const Case rows[] = {{"tool", Item::File, kElfProgram, 0755, true, "ELF header"},
        {"photo.jpg", Item::File, kElfProgram, 0644, true, "ELF header"},
        {"cleanup", Item::File, "#!/bin/sh\nrm -rf \"$HOME\"\n", 0644, true, "#! line"},
        {"Report.desktop", Item::File,
            "[Desktop Entry]\nType=Application\nName=Report\nExec=sh -c true\n", 0644, true,
            "desktop launcher"},
        {"Report", Item::File, "# made by hand\n\n[Desktop Entry]\nType=Application\nExec=true\n",
            0644, true, "[Desktop Entry]"},
        {"setup.exe", Item::File, kText, 0644, true, ".exe"},
        {"SETUP.MSI", Item::File, kOleHeader, 0644, true, ".msi"},
        {"Deploy.Ps1", Item::File, kText, 0644, true, ".ps1"},
        {"report.doc", Item::File, QByteArray("MZ\x90\0\x03\0\0\0", 8) + QByteArray(120, '\0'),
            0644, true, "MZ header"},
        {"readme", Item::File, ShellLinkWriter::write({}), 0644, true, "shell link header"},
        {"libreport.so.2.1", Item::File, kText, 0644, true, "a library"},
        {"viewer.jar", Item::File, "PK\x03\x04", 0644, true, ".jar"},
        {"notes.txt", Item::File, kText, 0755, true, "marked executable"},
        {"blob.dat", Item::File, QByteArray("\x01\x02\x03\x04\x05\xff\xfe", 7), 0700, true,
            "type is unknown"},
        {"minutes.doc", Item::Link, kElfProgram, 0755, true, "ELF header", "real-tool"},
        // A document's name on a link hides nothing: the target's name counts too.
        {"minutes.doc", Item::Link, kText, 0644, true, ".exe", "setup.exe"},
        {"gone.exe", Item::Missing, {}, 0, true, ".exe"},
        {"notes.txt", Item::File, kText, 0644, false},
        // A link among the folders above renames nothing.
        {"notes.txt", Item::InLinkedFolder, kText, 0644, false},
        {"letter.doc", Item::File, kWordDocument, 0644, false},
        // Where the execute bit counts, it still makes no program of a document type.
        {"letter.doc", Item::File, kWordDocument, 0744, false},
        {"plan.pdf", Item::File, "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n", 0644, false},
        {"Projects", Item::Folder, {}, 0, false}, {"Tools.exe", Item::Folder, {}, 0, false},
        {"gone.doc", Item::Missing, {}, 0, false}};
    for (const Case& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " (row " + std::to_string(&row - rows) + ")");
        QTemporaryDir folder;
        const ProgramTargetVerdict verdict = ProgramTarget::examine(make(QDir(folder.path()), row));
        const std::string reasons = verdict.reasons.join(u"; "_s).toStdString();
        EXPECT_EQ(verdict.isProgram(), row.program)
            << "type " << verdict.contentType.toStdString() << ", reasons: " << reasons;
        EXPECT_NE(reasons.find(row.reason), std::string::npos) << reasons;
    }
}

}
