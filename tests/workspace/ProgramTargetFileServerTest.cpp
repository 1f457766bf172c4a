// The program-target rule on real network volumes: a share of the harness's smbd and an
// export of its NFS server, both mounted through GVfs as a file manager mounts them.
#include "support/FileServer.h"
#include "workspace/ProgramTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString kShare = QStringLiteral("guest");
const QByteArray kText("Meeting notes\nNothing to run here.\n");

QByteArray elfProgram()
{
    QFile file(QStringLiteral("/bin/true"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Item {
    const char* name;
    QByteArray contents;
    mode_t mode; // on the server
    bool program;
    const char* reason; // a part of one of the reasons, for programs
};

bool writeFile(const QString& path, const QByteArray& contents, mode_t mode)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size()
        && file.flush() && ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

void expectJudged(const QString& folder, const QList<Item>& items)
{
    for (const Item& item : items) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(item.name);
        const ProgramTargetVerdict verdict = ProgramTarget::examine(path);
        const QString reasons = verdict.reasons.join(QStringLiteral("; "));
        EXPECT_EQ(verdict.isProgram(), item.program)
            << item.name << ": type " << verdict.contentType.toStdString() << ", reasons "
            << reasons.toStdString();
        EXPECT_TRUE(reasons.contains(QLatin1String(item.reason))) << item.name;
    }
}

// Mounts an NFS export with `gio mount`; GVfs's folder of it, or none.
std::optional<QString> mountNfsExport(const QString& exportPath)
{
    QProcess gio;
    gio.start(QStringLiteral("gio"),
        {QStringLiteral("mount"), QStringLiteral("nfs://") + FileServer::address() + exportPath});
    if (!gio.waitForFinished(60000) || gio.exitCode() != 0)
        return std::nullopt;
    const QDir fuse(qEnvironmentVariable("KESTROVA_GVFS_FUSE"));
    const QStringList mounts = fuse.entryList({QStringLiteral("nfs:*")}, QDir::Dirs);
    if (mounts.size() != 1)
        return std::nullopt;
    return fuse.filePath(mounts.first());
}

class ProgramTargetOnNetworkVolume : public FileServerTest { };

// GVfs shows every file of an SMB share as rwx------, so only what a file is can tell.
TEST_F(ProgramTargetOnNetworkVolume, TextOnAnSmbShareIsNoProgramWhileProgramsThereStillAre)
{
    const QList<Item> items {{"notes.txt", kText, 0644, false, ""},
        {"minutes", kText, 0755, false, ""},
        {"cleanup", "#!/bin/sh\nrm -rf \"$HOME\"\n", 0644, true, "#! line"},
        {"tool", elfProgram(), 0755, true, "ELF header"}, {"setup.exe", kText, 0644, true, ".exe"}};
    for (const Item& item : items) {
        ASSERT_TRUE(
            writeFile(FileServer::shareFolder(kShare) + QLatin1Char('/') + QLatin1String(item.name),
                item.contents, item.mode));
    }
    ASSERT_TRUE(FileServer::gioMount(kShare));
    const QString folder = *FileServer::gvfsFolder(kShare);
    ASSERT_TRUE(QFileInfo(folder + QStringLiteral("/notes.txt")).isExecutable())
        << "GVfs shows the text as executable";

    expectJudged(folder, items);
}

// An NFS export shows the modes the files have on the server: there the bit was set by
// someone, and a text marked executable is a script.
TEST_F(ProgramTargetOnNetworkVolume, ExecuteBitOnAnNfsExportCounts)
{
    if (FileServer::nfsExports().isEmpty())
        GTEST_SKIP() << "no NFS server: nfs-ganesha and rpcbind are not installed";
    const QString exportPath = FileServer::nfsExports().first();
    const QList<Item> items {
        {"notes.txt", kText, 0644, false, ""}, {"deploy", kText, 0755, true, "marked executable"}};
    for (const Item& item : items) {
        ASSERT_TRUE(writeFile(
            exportPath + QLatin1Char('/') + QLatin1String(item.name), item.contents, item.mode));
    }
    const std::optional<QString> folder = mountNfsExport(exportPath);
    ASSERT_TRUE(folder) << "the export is mounted through GVfs";

    expectJudged(*folder, items);
}

}
