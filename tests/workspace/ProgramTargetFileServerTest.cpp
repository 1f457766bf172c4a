// The program-target rule on an SMB share and an NFS export of the harness, mounted by GVfs.
#include "support/FileServer.h"
#include "support/ProgramRun.h"
#include "workspace/ProgramTarget.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kText("Meeting notes\nNothing to run here.\n");

struct Item {
    const char* name;
    QByteArray contents;
    mode_t mode; // on the server
    bool program;
    const char* reason; // a part of one of the reasons
};

class ProgramTargetOnNetworkVolume : public FileServerTest {
protected:
    static void putOnServer(const QString& folder, const QList<Item>& items)
    {
        for (const Item& item : items) {
            QFile file(folder + u'/' + QLatin1String(item.name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(item.contents) > 0);
            ASSERT_EQ(::chmod(QFile::encodeName(file.fileName()).constData(), item.mode), 0);
        }
    }

    static void expectJudged(const QString& mounted, const QList<Item>& items)
    {
        ASSERT_FALSE(mounted.isEmpty()) << "the volume is mounted through GVfs";
        for (const Item& item : items) {
            const ProgramTargetVerdict verdict =
                ProgramTarget::examine(mounted + u'/' + QLatin1String(item.name));
            const std::string reasons = verdict.reasons.join(u"; "_s).toStdString();
            EXPECT_EQ(verdict.isProgram(), item.program)
                << item.name << ": type " << verdict.contentType.toStdString() << ", " << reasons;
            EXPECT_NE(reasons.find(item.reason), std::string::npos) << item.name;
        }
    }
};

// GVfs shows every file of an SMB share as rwx------, so only what a file is can tell.
TEST_F(ProgramTargetOnNetworkVolume, TextOnAnSmbShareIsNoProgramWhileProgramsThereStillAre)
{
    QFile elf(u"/bin/true"_s);
    ASSERT_TRUE(elf.open(QIODevice::ReadOnly));
    const QList<Item> items = {{"notes.txt", kText, 0644, false, ""},
        {"minutes", kText, 0755, false, ""},
        {"cleanup", "#!/bin/sh\nrm -rf \"$HOME\"\n", 0644, true, "#! line"},
        {"tool", elf.readAll(), 0755, true, "ELF header"},
        {"setup.exe", kText, 0644, true, ".exe"}};
    const QString share = u"guest"_s;
    putOnServer(FileServer::shareFolder(share), items);
    ASSERT_TRUE(FileServer::gioMount(share));
    const QString mounted = FileServer::gvfsFolder(share).value_or(QString());
    EXPECT_TRUE(QFileInfo(mounted + u"/notes.txt"_s).isExecutable())
        << "GVfs shows the text as executable";
    expectJudged(mounted, items);
}

// An NFS export keeps the server's modes: a text marked executable there is a script.
TEST_F(ProgramTargetOnNetworkVolume, ExecuteBitOnAnNfsExportCounts)
{
    if (FileServer::nfsExports().isEmpty())
        GTEST_SKIP() << "no NFS server: nfs-ganesha and rpcbind are not installed";
    const QString exportPath = FileServer::nfsExports().first();
    const QList<Item> items = {
        {"notes.txt", kText, 0644, false, ""}, {"deploy", kText, 0755, true, "marked executable"}};
    putOnServer(exportPath, items);
    const ProgramRun gio =
        runProgram(u"gio"_s, {u"mount"_s, u"nfs://"_s + FileServer::address() + exportPath});
    ASSERT_EQ(gio.exitCode, 0) << gio.errors.toStdString();
    const QDir fuse(qEnvironmentVariable("KESTROVA_GVFS_FUSE"));
    const QStringList mounts = fuse.entryList({u"nfs:*"_s}, QDir::Dirs);
    ASSERT_EQ(mounts.size(), 1);
    expectJudged(fuse.filePath(mounts.first()), items);
}

}
