// The program-target rule on an NFS export of the harness, mounted by GVfs. (On an SMB share,
// where GVfs shows every file as rwx------, OpeningOnDesktop in tests/shortcut opens a text.)
#include "support/FileServer.h"
#include "support/Files.h"
#include "support/ProgramRun.h"
#include "workspace/ProgramTarget.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

using ProgramTargetOnNetworkVolume = FileServerTest;

// An NFS export keeps the server's modes: a text marked executable there is a script.
TEST_F(ProgramTargetOnNetworkVolume, ExecuteBitOnAnNfsExportCounts)
{
    if (FileServer::nfsExports().isEmpty())
        GTEST_SKIP() << "no NFS server: nfs-ganesha and rpcbind are not installed";
    const QString exportPath = FileServer::nfsExports().first();
    const struct {
        const char* name;
        mode_t mode; // on the server
        bool program;
    } items[] = {{"notes.txt", 0644, false}, {"deploy", 0755, true}};
    for (const auto& item : items) {
        const QString file =
            writeFile(exportPath + u'/' + QLatin1String(item.name), "Meeting notes\n");
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), item.mode), 0);
    }
    const ProgramRun gio =
        runProgram(u"gio"_s, {u"mount"_s, u"nfs://"_s + FileServer::address() + exportPath});
    ASSERT_EQ(gio.exitCode, 0) << gio.errors.toStdString();
    const QDir fuse(qEnvironmentVariable("KESTROVA_GVFS_FUSE"));
    const QStringList mounts = fuse.entryList({u"nfs:*"_s}, QDir::Dirs);
    ASSERT_EQ(mounts.size(), 1);
    for (const auto& item : items) {
        const ProgramTargetVerdict verdict =
            ProgramTarget::examine(fuse.filePath(mounts.first()) + u'/' + QLatin1String(item.name));
        const QString reasons = verdict.reasons.join(u"; "_s);
        EXPECT_EQ(verdict.isProgram(), item.program) << item.name << ": " << reasons.toStdString();
        EXPECT_EQ(reasons.contains(u"marked executable"_s), item.program) << item.name;
    }
}

}
