#include "FakeMountParts.h"
#include "support/Eventually.h"
#include "support/FileServer.h"
#include "support/LogCapture.h"
#include "volumes/KTCifsServerMount.h"
#include "volumes/KTGvfsServerMount.h"
#include "volumes/KTMounter.h"
#include "volumes/KTSystemMountTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/mount.h>

namespace {

// Shares named as Windows users name them: plain, with a space, beyond ASCII.
const QStringList namedShares = {
    QStringLiteral("guest"), QStringLiteral("My Files"), QStringLiteral("Données")};

class MounterFileServer : public FileServerTest {
protected:
    void SetUp() override
    {
        FileServerTest::SetUp();
        if (!IsSkipped())
            m_table = std::make_unique<KTSystemMountTable>();
    }
    void TearDown() override
    {
        m_table.reset();
        FileServerTest::TearDown();
    }
    // A mounter over the real table and GVfs, asking the prompt; the status is recorded.
    KTMounter& mounterWith(KTCredentialPrompt& prompt)
    {
        m_serverMount = std::make_unique<KTGvfsServerMount>(prompt);
        m_mounter =
            std::make_unique<KTMounter>(*m_table, *m_serverMount, [this] { return &m_status; });
        return *m_mounter;
    }
    std::optional<KTMountEntry> volumeAt(const QString& mountPoint)
    {
        for (const KTMountEntry& volume : m_table->current()->volumes())
            if (volume.mountPoint() == mountPoint)
                return volume;
        return std::nullopt;
    }
    std::unique_ptr<KTSystemMountTable> m_table;
    std::unique_ptr<KTServerMount> m_serverMount;
    std::unique_ptr<KTMounter> m_mounter;
    RecordingStatusDisplay m_status;
    ScriptedPrompt m_guest;
    LogCapture m_log;
};

// Scanned when another program mounted it, recorded when the mounter did; either way it works.
TEST_F(MounterFileServer, SharesNamedAsWindowsNamesThemMountOpenAndTurnBackIntoTheirName)
{
    KTMounter& mounter = mounterWith(m_guest);
    for (const QString& share : namedShares) {
        SCOPED_TRACE(share.toStdString());
        ASSERT_TRUE(QFile(FileServer::shareFolder(share) + QStringLiteral("/a b.txt"))
                        .open(QIODevice::WriteOnly));
        const QString text = FileServer::shareText(share);
        ASSERT_TRUE(FileServer::gioMount(share));
        const QString folder = FileServer::gvfsFolder(share).value();
        ASSERT_TRUE(eventually([&] { return mounter.networkVolumeForShare(text).has_value(); }));
        EXPECT_EQ(
            mounter.networkVolumeForShare(text.toUpper() + QStringLiteral("/plans/a.doc")), folder);
        EXPECT_FALSE(mounter.mountPoints().contains(text.toLower()));
        ASSERT_TRUE(FileServer::gioUnmount(share));
        ASSERT_TRUE(eventually([&] { return !mounter.networkVolumeForShare(text); }));
        m_status.calls.clear();
        ASSERT_TRUE(mounter.mountNetworkVolume(text, QStringLiteral("SMB")));
        EXPECT_EQ(m_status.calls.join(u'|'),
            QStringLiteral("setTitle Mounting drive SMB://127.0.0.1/")
                + QString::fromLatin1(QUrl::toPercentEncoding(share))
                + QStringLiteral("|show true|hideNow"));
        EXPECT_EQ(mounter.networkVolumeForShare(text), folder);
        EXPECT_EQ(mounter.mountPoints().value(text.toLower()).mnto, folder);
        EXPECT_TRUE(QFile(folder + QStringLiteral("/a b.txt")).open(QIODevice::ReadOnly));
        const QString serverPath =
            mounter.transformToNetworkVolumePath(folder + QStringLiteral("/a b.txt"));
        EXPECT_EQ(serverPath.compare(text + QStringLiteral("/a b.txt"), Qt::CaseInsensitive), 0)
            << serverPath.toStdString();
        EXPECT_TRUE(mounter.mountNetworkVolume(text, QStringLiteral("smb"))) << "already mounted";
    }
    EXPECT_TRUE(m_log.lines().contains(
        QStringLiteral("We seem to have found it from: //127.0.0.1/guest to: ")
        + FileServer::gvfsFolder(QStringLiteral("guest")).value()));
    const QTemporaryDir local;
    EXPECT_EQ(mounter.transformToNetworkVolumePath(local.path()), local.path());
}

TEST_F(MounterFileServer, PasswordShareMountsWithTheAccountAndIsRefusedOtherwise)
{
    ScriptedPrompt account(KTCredentials {false, FileServer::user(), {}, FileServer::password()});
    ScriptedPrompt wrongPassword(
        KTCredentials {false, FileServer::user(), {}, QStringLiteral("wrong")});
    ScriptedPrompt cancel(std::nullopt);
    for (auto [prompt, name] :
        {std::pair<KTCredentialPrompt*, const char*> {&wrongPassword, "private"},
            {&cancel, "private"}, {&m_guest, "nosuch"}}) {
        m_status.calls.clear();
        KTMounter& mounter = mounterWith(*prompt);
        const QString share = QStringLiteral("//127.0.0.1/") + QString::fromUtf8(name);
        EXPECT_FALSE(mounter.mountNetworkVolume(share, QStringLiteral("smb"))) << name;
        EXPECT_EQ(m_status.calls.join(u'|'),
            QStringLiteral("setTitle Mounting drive smb:") + share
                + QStringLiteral("|show true|hideNow"));
        EXPECT_FALSE(FileServer::gvfsFolder(QString::fromUtf8(name)));
        EXPECT_TRUE(mounter.mountPoints().isEmpty());
    }
    EXPECT_LE(wrongPassword.requests.size(), 3);
    EXPECT_EQ(cancel.requests.size(), 1);
    const QString share = QStringLiteral("//127.0.0.1/private");
    KTMounter& mounter = mounterWith(account);
    ASSERT_TRUE(mounter.mountNetworkVolume(share, QStringLiteral("smb")));
    EXPECT_TRUE(account.requests.value(0).needsPassword);
    // GVfs names the user in the mount source only when the URL named one.
    EXPECT_EQ(mounter.mountPoints().value(share).mntfrom, share);
    EXPECT_EQ(mounter.networkVolumeForShare(QStringLiteral("//127.0.0.1/Private")),
        FileServer::gvfsFolder(QStringLiteral("private")));
}

// GVfs's folder of an NFS export holds its path percent-encoded, which stays as it is.
TEST_F(MounterFileServer, NfsExportMountsThroughGvfs)
{
    if (FileServer::nfsExports().isEmpty())
        GTEST_SKIP() << "no NFS server: nfs-ganesha and rpcbind are not installed";
    const QString exportPath = FileServer::nfsExports().first();
    ASSERT_TRUE(QFile(exportPath + QStringLiteral("/a.txt")).open(QIODevice::WriteOnly));
    KTMounter& mounter = mounterWith(m_guest);
    const QString share = QStringLiteral("//127.0.0.1") + exportPath;
    ASSERT_TRUE(mounter.mountNetworkVolume(share, QStringLiteral("nfs")));
    const KTMountRecord record = mounter.mountPoints().value(share.toLower());
    EXPECT_EQ(record.mntfrom, share);
    EXPECT_TRUE(record.mnto.contains(QStringLiteral("/nfs:host=127.0.0.1,prefix=%2F")))
        << record.mnto.toStdString();
    EXPECT_TRUE(QFile::exists(record.mnto + QStringLiteral("/a.txt")));
    // The scan compares the export's last component with the share; the record the full path.
    EXPECT_EQ(mounter.networkVolumeForShare(QStringLiteral("//127.0.0.1/NFS")), record.mnto);
    EXPECT_EQ(mounter.networkVolumeForShare(share), record.mnto);
    EXPECT_EQ(mounter.transformToNetworkVolumePath(record.mnto + QStringLiteral("/a.txt")),
        share + QStringLiteral("/a.txt"));
}

// Without the kernel's CIFS client mount.cifs fails, and must leave no mount point behind.
TEST_F(MounterFileServer, CifsMountsThroughMountCifsOrFailsLeavingNothing)
{
    QFile filesystems(QStringLiteral("/proc/filesystems"));
    ASSERT_TRUE(filesystems.open(QIODevice::ReadOnly));
    const bool kernelHasCifs = filesystems.readAll().contains("\tcifs\n");
    const QTemporaryDir mountRoot;
    KTCifsServerMount cifs(m_guest, mountRoot.path());
    KTMounter mounter(*m_table, cifs, [this] { return &m_status; });
    const bool mounted =
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.1/My Files"), QStringLiteral("cifs"));
    EXPECT_EQ(mounted, kernelHasCifs);
    EXPECT_FALSE(m_status.shown);
    if (mounted) {
        QProcess::execute(
            QStringLiteral("umount"), {mountRoot.path() + QStringLiteral("/127.0.0.1/My Files")});
        return;
    }
    EXPECT_TRUE(
        QDir(mountRoot.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    EXPECT_TRUE(std::ranges::any_of(m_log.lines(), [](const QString& line) {
        return line.startsWith(QStringLiteral("Mounter: mount.cifs //127.0.0.1/My Files failed: "));
    }));
}

// The harness gives the test a mount namespace of its own, where a tmpfs touches nothing else.
TEST_F(MounterFileServer, TableFollowsKernelMountsAndGvfsShares)
{
    const std::shared_ptr<const KTMountTable> first = m_table->current();
    EXPECT_EQ(first->volumeForPath(u"/")->mountPoint(), QStringLiteral("/"));
    EXPECT_EQ(volumeAt(qEnvironmentVariable("KESTROVA_GVFS_FUSE")).value().fileSystemType(),
        QStringLiteral("fuse.gvfsd-fuse"));
    EXPECT_EQ(m_table->current(), first) << "read again without a change";
    const QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.path());
    ASSERT_EQ(::mount("kestrova-test", path.constData(), "tmpfs", 0, nullptr), 0);
    ASSERT_TRUE(eventually([&] { return volumeAt(folder.path()).has_value(); }));
    EXPECT_EQ(volumeAt(folder.path())->mountSource(), QStringLiteral("kestrova-test"));
    ASSERT_EQ(::umount(path.constData()), 0);
    EXPECT_TRUE(eventually([&] { return !volumeAt(folder.path()); }));
    ASSERT_TRUE(FileServer::gioMount(QStringLiteral("guest")));
    ASSERT_TRUE(FileServer::gioMount(QStringLiteral("private"), true));
    const QString guest = FileServer::gvfsFolder(QStringLiteral("guest")).value();
    const QString account = FileServer::gvfsFolder(QStringLiteral("private")).value();
    ASSERT_TRUE(eventually([&] { return volumeAt(guest) && volumeAt(account); }));
    EXPECT_EQ(
        m_table->current()->volumeForPath(QString(guest + QStringLiteral("/a/b")))->mountSource(),
        QStringLiteral("//127.0.0.1/guest"));
    EXPECT_EQ(volumeAt(account)->mountSource(),
        QStringLiteral("//") + FileServer::user() + QStringLiteral("@127.0.0.1/private"));
    // Kernel mounts first, then the GVfs shares in the order of their folders.
    const QList<KTMountEntry>& volumes = m_table->current()->volumes();
    EXPECT_EQ(volumes[volumes.size() - 2].mountPoint(), guest);
    EXPECT_EQ(volumes.last().mountPoint(), account);
    ASSERT_TRUE(FileServer::gioUnmount(QStringLiteral("guest")));
    ASSERT_TRUE(eventually([&] { return !volumeAt(guest); }));
    EXPECT_EQ(m_table->current()->volumeForPath(QString(guest + QStringLiteral("/a"))), nullptr);
}

}
