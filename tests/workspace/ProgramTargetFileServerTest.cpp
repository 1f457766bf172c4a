// The program-target rule on an SMB share and an NFS export of the harness, mounted by GVfs.
#include "support/FileServer.h"
#include "support/ProgramRun.h"
#include "workspace/ProgramTarget.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QByteArray kText("Meeting notes\nNothing to run here.\n");

struct Item {
    const char* name;
    QByteArray contents;
    mode_t mode; // on the server
    bool program;
    const char* reason; // a part of one of the reasons
};

// Writes the items into the server's folder, then judges them in the mounted one.
void expectJudged(
    const QString& serverFolder, const std::function<QString()>& mount, const QList<Item>& items)
{
    for (const Item& item : items) {
        QFile file(serverFolder + QLatin1Char('/') + QLatin1String(item.name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(item.contents) > 0);
        file.close();
        ASSERT_EQ(::chmod(QFile::encodeName(file.fileName()).constData(), item.mode), 0);
    }
    const QString folder = mount();
    ASSERT_FALSE(folder.isEmpty()) << "the volume is mounted through GVfs";
    for (const Item& item : items) {
        const ProgramTargetVerdict verdict =
            ProgramTarget::examine(folder + QLatin1Char('/') + QLatin1String(item.name));
        const std::string reasons = verdict.reasons.join(QStringLiteral("; ")).toStdString();
        EXPECT_EQ(verdict.isProgram(), item.program)
            << item.name << ": type " << verdict.contentType.toStdString() << ", " << reasons;
        EXPECT_NE(reasons.find(item.reason), std::string::npos) << item.name;
    }
}

class ProgramTargetOnNetworkVolume : public FileServerTest { };

// GVfs shows every file of an SMB share as rwx------, so only what a file is can tell.
TEST_F(ProgramTargetOnNetworkVolume, TextOnAnSmbShareIsNoProgramWhileProgramsThereStillAre)
{
    QFile elf(QStringLiteral("/bin/true"));
    ASSERT_TRUE(elf.open(QIODevice::ReadOnly));
    const QString share = QStringLiteral("guest");
    expectJudged(FileServer::shareFolder(share),
        [&] {
            const bool mounted = FileServer::gioMount(share);
            const QString folder = FileServer::gvfsFolder(share).value_or(QString());
            EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/notes.txt")).isExecutable())
                << "GVfs shows the text as executable";
            return mounted ? folder : QString();
        },
        {{"notes.txt", kText, 0644, false, ""}, {"minutes", kText, 0755, false, ""},
            {"cleanup", "#!/bin/sh\nrm -rf \"$HOME\"\n", 0644, true, "#! line"},
            {"tool", elf.readAll(), 0755, true, "ELF header"},
            {"setup.exe", kText, 0644, true, ".exe"}});
}

// An NFS export keeps the server's modes: a text marked executable there is a script.
TEST_F(ProgramTargetOnNetworkVolume, ExecuteBitOnAnNfsExportCounts)
{
    if (FileServer::nfsExports().isEmpty())
        GTEST_SKIP() << "no NFS server: nfs-ganesha and rpcbind are not installed";
    const QString exportPath = FileServer::nfsExports().first();
    expectJudged(exportPath,
        [&] {
            const ProgramRun gio = runProgram(QStringLiteral("gio"),
                {QStringLiteral("mount"),
                    QStringLiteral("nfs://") + FileServer::address() + exportPath});
            const QDir fuse(qEnvironmentVariable("KESTROVA_GVFS_FUSE"));
            const QStringList mounts = fuse.entryList({QStringLiteral("nfs:*")}, QDir::Dirs);
            return gio.exitCode == 0 && mounts.size() == 1 ? fuse.filePath(mounts.first())
                                                           : QString();
        },
        {{"notes.txt", kText, 0644, false, ""},
            {"deploy", kText, 0755, true, "marked executable"}});
}

}
