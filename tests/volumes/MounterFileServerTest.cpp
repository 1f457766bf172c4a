#include "FakeMountParts.h"
#include "support/Eventually.h"
#include "support/FileServer.h"
#include "support/Files.h"
#include "support/LogCapture.h"
#include "support/SecretService.h"
#include "volumes/CifsServerMount.h"
#include "volumes/GuestServers.h"
#include "volumes/GvfsServerMount.h"
#include "volumes/KTMounter.h"
#include "volumes/SystemMountTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

using namespace Qt::StringLiterals;

namespace {

// The harness's account, with its password kept as given.
Credentials account(PasswordSave save = PasswordSave::Never)
{
    return Credentials {false, FileServer::user(), {}, FileServer::password(), save};
}

class MounterFileServer : public FileServerTest {
protected:
    void SetUp() override
    {
        FileServerTest::SetUp();
        if (!IsSkipped())
            m_table = std::make_unique<SystemMountTable>();
    }
    void TearDown() override
    {
        m_table.reset();
        FileServerTest::TearDown();
    }
    // A mounter over the real table and GVfs, asking the prompt; the status is recorded.
    KTMounter& mounterWith(CredentialPrompt& prompt)
    {
        m_serverMount = std::make_unique<GvfsServerMount>(prompt);
        m_mounter =
            std::make_unique<KTMounter>(*m_table, *m_serverMount, [this] { return &m_status; });
        return *m_mounter;
    }
    std::optional<MountEntry> volumeAt(const QString& mountPoint)
    {
        for (const MountEntry& volume : m_table->current()->volumes())
            if (volume.mountPoint() == mountPoint)
                return volume;
        return std::nullopt;
    }
    std::unique_ptr<SystemMountTable> m_table;
    std::unique_ptr<ServerMount> m_serverMount;
    std::unique_ptr<KTMounter> m_mounter;
    RecordingStatusDisplay m_status;
    ScriptedPrompt m_guest;
    LogCapture m_log;
};

// A cancelled question fails as a refused one (the window tests cancel through the dialog).
TEST_F(MounterFileServer, PasswordShareMountsWithTheAccountAndIsRefusedOtherwise)
{
    const QString share = u"//127.0.0.1/private"_s;
    ScriptedPrompt wrongPassword(Credentials {false, FileServer::user(), {}, u"wrong"_s});
    EXPECT_FALSE(mounterWith(wrongPassword).mountNetworkVolume(share, u"smb"_s));
    EXPECT_EQ(m_status.calls.join(u'|'),
        u"setTitle Mounting drive smb:"_s + share + u"|show true|hideNow"_s);
    EXPECT_LE(wrongPassword.requests.size(), 3);
    EXPECT_FALSE(FileServer::gvfsFolder(u"private"_s));
    EXPECT_TRUE(m_mounter->mountPoints().isEmpty());
    ScriptedPrompt user(account());
    KTMounter& mounter = mounterWith(user);
    ASSERT_TRUE(mounter.mountNetworkVolume(share, u"smb"_s));
    EXPECT_TRUE(user.requests.value(0).needsPassword);
    // GVfs names the user in the mount source only when the URL named one.
    EXPECT_EQ(mounter.mountPoints().value(share).mntfrom, share);
    EXPECT_EQ(mounter.networkVolumeForShare(u"//127.0.0.1/Private"_s),
        FileServer::gvfsFolder(u"private"_s));
    // A user who takes longer than the limit to type the password still gets the share.
    FileServer::unmountEverything();
    ScriptedPrompt slowUser(account());
    slowUser.delay = std::chrono::milliseconds(1500);
    EXPECT_TRUE(GvfsServerMount(slowUser, std::chrono::seconds(1))
                    .mountServerVolume(u"smb://127.0.0.1/private"_s)
                    .mounted);
}

// GVfs's folder of an NFS export holds its path percent-encoded, which stays as it is.
TEST_F(MounterFileServer, NfsExportMountsThroughGvfs)
{
    if (FileServer::nfsExports().isEmpty())
        GTEST_SKIP() << "no NFS server: nfs-ganesha and rpcbind are not installed";
    const QString exportPath = FileServer::nfsExports().first();
    ASSERT_TRUE(QFile(exportPath + u"/a.txt"_s).open(QIODevice::WriteOnly));
    KTMounter& mounter = mounterWith(m_guest);
    const QString share = u"//127.0.0.1"_s + exportPath;
    ASSERT_TRUE(mounter.mountNetworkVolume(share, u"nfs"_s));
    const MountRecord record = mounter.mountPoints().value(share.toLower());
    EXPECT_EQ(record.mntfrom, share);
    EXPECT_TRUE(record.mnto.contains(u"/nfs:host=127.0.0.1,prefix=%2F"_s))
        << record.mnto.toStdString();
    EXPECT_TRUE(QFile::exists(record.mnto + u"/a.txt"_s));
    // The scan compares the export's last component with the share; the record the full path.
    EXPECT_EQ(mounter.networkVolumeForShare(u"//127.0.0.1/NFS"_s), record.mnto);
    EXPECT_EQ(mounter.networkVolumeForShare(share), record.mnto);
    EXPECT_EQ(mounter.transformToNetworkVolumePath(record.mnto + u"/a.txt"_s), share + u"/a.txt"_s);
}

// Whether the mount after an unmount asks again follows the user's first answer: GVfs keeps
// the password in the desktop keyring as asked, the mounter keeps the guest choice.
TEST_F(MounterFileServer, SecondMountAsksAgainOnlyWhenTheFirstAnswerWasNotKept)
{
    const QTemporaryDir state;
    GuestServers guests(state.filePath(u"kestrova/guest-servers.json"_s));
    const struct {
        const char* share;
        Credentials answer;
        qsizetype asksAgain;
    } rows[] = {
        {"private", account(PasswordSave::Permanently), 0},
        {"private", account(PasswordSave::ForSession), 0},
        {"private", account(PasswordSave::Never), 1},
        {"guest", Credentials {true, {}, {}, {}, {}}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.share + std::to_string(int(row.answer.save)));
        const SecretService keyring;
        ASSERT_EQ(keyring.failure(), QString());
        ScriptedPrompt prompt(row.answer);
        GvfsServerMount gvfs(prompt, serverMountLimit, &guests);
        const QString share = QString::fromUtf8(row.share);
        ASSERT_TRUE(gvfs.mountServerVolume(FileServer::smbURL(share)).mounted);
        ASSERT_EQ(prompt.requests.size(), 1);
        EXPECT_TRUE(prompt.requests[0].savingSupported);
        ASSERT_TRUE(FileServer::gioUnmount(share));
        prompt.requests.clear();
        EXPECT_TRUE(gvfs.mountServerVolume(FileServer::smbURL(share)).mounted);
        EXPECT_EQ(prompt.requests.size(), row.asksAgain);
        FileServer::unmountEverything();
    }
    EXPECT_TRUE(GuestServers(state.filePath(u"kestrova/guest-servers.json"_s))
                    .contains(FileServer::address()))
        << "kept for the next process";
}

// Without the kernel's CIFS client mount.cifs fails, and must leave no mount point behind.
TEST_F(MounterFileServer, CifsMountsThroughMountCifsOrFailsLeavingNothing)
{
    const bool kernelHasCifs = readFile(u"/proc/filesystems"_s).contains("\tcifs\n");
    const QTemporaryDir mountRoot;
    CifsServerMount cifs(m_guest, mountRoot.path());
    KTMounter mounter(*m_table, cifs, [this] { return &m_status; });
    const bool mounted = mounter.mountNetworkVolume(u"//127.0.0.1/My Files"_s, u"cifs"_s);
    EXPECT_EQ(mounted, kernelHasCifs);
    EXPECT_FALSE(m_status.shown);
    if (mounted) {
        QProcess::execute(u"umount"_s, {mountRoot.path() + u"/127.0.0.1/My Files"_s});
        return;
    }
    EXPECT_TRUE(
        QDir(mountRoot.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

// The harness gives the test a mount namespace of its own, where a tmpfs touches nothing else.
TEST_F(MounterFileServer, TableFollowsKernelMountsAndGvfsShares)
{
    const std::shared_ptr<const MountTable> first = m_table->current();
    EXPECT_EQ(first->volumeForPath(u"/")->mountPoint(), u"/"_s);
    EXPECT_EQ(volumeAt(qEnvironmentVariable("KESTROVA_GVFS_FUSE")).value().fileSystemType(),
        u"fuse.gvfsd-fuse"_s);
    EXPECT_EQ(m_table->current(), first) << "read again without a change";
    const QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.path());
    ASSERT_EQ(::mount("kestrova-test", path.constData(), "tmpfs", 0, nullptr), 0);
    ASSERT_TRUE(eventually([&] { return volumeAt(folder.path()).has_value(); }));
    EXPECT_EQ(volumeAt(folder.path())->mountSource(), u"kestrova-test"_s);
    ASSERT_EQ(::umount(path.constData()), 0);
    EXPECT_TRUE(eventually([&] { return !volumeAt(folder.path()); }));
    ASSERT_TRUE(FileServer::gioMount(u"guest"_s));
    ASSERT_TRUE(FileServer::gioMount(u"private"_s, true));
    const QString guest = FileServer::gvfsFolder(u"guest"_s).value();
    const QString account = FileServer::gvfsFolder(u"private"_s).value();
    ASSERT_TRUE(eventually([&] { return volumeAt(guest) && volumeAt(account); }));
    EXPECT_EQ(m_table->current()->volumeForPath(QString(guest + u"/a/b"_s))->mountSource(),
        u"//127.0.0.1/guest"_s);
    EXPECT_EQ(
        volumeAt(account)->mountSource(), u"//"_s + FileServer::user() + u"@127.0.0.1/private"_s);
    // Kernel mounts first, then the GVfs shares in the order of their folders.
    const QList<MountEntry>& volumes = m_table->current()->volumes();
    EXPECT_EQ(volumes[volumes.size() - 2].mountPoint(), guest);
    EXPECT_EQ(volumes.last().mountPoint(), account);
    ASSERT_TRUE(FileServer::gioUnmount(u"guest"_s));
    ASSERT_TRUE(eventually([&] { return !volumeAt(guest); }));
    EXPECT_EQ(m_table->current()->volumeForPath(QString(guest + u"/a"_s)), nullptr);
}

}
