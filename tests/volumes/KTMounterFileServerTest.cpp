#include "FakeMountParts.h"
#include "TerminalUser.h"
#include "platform/SystemLog.h"
#include "support/Eventually.h"
#include "support/FileServer.h"
#include "volumes/KTCifsServerMount.h"
#include "volumes/KTGvfsServerMount.h"
#include "volumes/KTMounter.h"
#include "volumes/KTSystemMountTable.h"
#include "volumes/KTTerminalCredentialPrompt.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString guestShare()
{
    return QStringLiteral("guest");
}
QString spaceShare()
{
    return QStringLiteral("My Files");
}
QString passwordShare()
{
    return QStringLiteral("private");
}

class KTMounterFileServerTest : public FileServerTest {
protected:
    void SetUp() override
    {
        FileServerTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(FileServer::guestShares().contains(guestShare()));
        m_previousSink = SystemLog::setSink([this](const QString& line) { m_log << line; });
        m_table = std::make_unique<KTSystemMountTable>();
    }
    void TearDown() override
    {
        if (!FileServer::isRunning())
            return;
        m_table.reset();
        SystemLog::setSink(m_previousSink);
        FileServerTest::TearDown();
    }

    // A mounter over the real table, GVfs and the given prompt; the status window is the
    // recording one.
    KTMounter& mounterWith(KTCredentialPrompt& prompt)
    {
        m_serverMount = std::make_unique<KTGvfsServerMount>(prompt);
        m_mounter =
            std::make_unique<KTMounter>(*m_table, *m_serverMount, [this] { return &m_status; });
        return *m_mounter;
    }

    std::unique_ptr<KTSystemMountTable> m_table;
    std::unique_ptr<KTServerMount> m_serverMount;
    std::unique_ptr<KTMounter> m_mounter;
    RecordingStatusDisplay m_status;
    ScriptedPrompt m_guest = ScriptedPrompt::guest();
    QStringList m_log;
    SystemLog::Sink m_previousSink;
};

TEST_F(KTMounterFileServerTest, ShareMountedByAnotherProgramIsFoundByTheScanInAnyCase)
{
    KTMounter& mounter = mounterWith(m_guest);
    ASSERT_TRUE(FileServer::gioMount(guestShare()));
    const QString folder = FileServer::gvfsFolder(guestShare()).value();
    ASSERT_TRUE(eventually([&] {
        return mounter.networkVolumeForShare(FileServer::shareText(guestShare())).has_value();
    }));
    EXPECT_EQ(mounter.networkVolumeForShare(FileServer::shareText(guestShare())), folder);
    EXPECT_EQ(mounter.networkVolumeForShare(QStringLiteral("//127.0.0.1/GUEST")), folder);
    EXPECT_EQ(
        mounter.networkVolumeForShare(QStringLiteral("//127.0.0.1/Guest/plans/a.doc")), folder);
    EXPECT_TRUE(mounter.mountPoints().isEmpty());
    EXPECT_TRUE(m_log.contains(
        QStringLiteral("We seem to have found it from: //127.0.0.1/guest to: ") + folder));
}

TEST_F(KTMounterFileServerTest, MountedShareIsFoundAgainThroughTheRecordUntilUnmounted)
{
    KTMounter& mounter = mounterWith(m_guest);
    // The share's name holds a space, so its mount source is no URL and the scan cannot
    // match it: only the record can find it.
    ASSERT_TRUE(mounter.mountNetworkVolume(
        QStringLiteral("//127.0.0.1/My%20Files"), QStringLiteral("smb")));
    const QString folder = FileServer::gvfsFolder(spaceShare()).value();
    const QHash<QString, KTMountRecord> expected {{QStringLiteral("//127.0.0.1/my%20files"),
        KTMountRecord {QStringLiteral("//127.0.0.1/my files"), folder}}};
    EXPECT_EQ(mounter.mountPoints(), expected);
    EXPECT_EQ(mounter.networkVolumeForShare(QStringLiteral("//127.0.0.1/MY%20FILES")), folder);
    EXPECT_TRUE(m_log.contains(
        QStringLiteral("Mounter: There is already one mntfrom: //127.0.0.1/my files mnto ")
        + folder));

    ASSERT_TRUE(FileServer::gioUnmount(spaceShare()));
    ASSERT_TRUE(eventually([&] {
        return !mounter.networkVolumeForShare(QStringLiteral("//127.0.0.1/My%20Files")).has_value();
    }));
    EXPECT_EQ(mounter.mountPoints(), expected);
}

TEST_F(KTMounterFileServerTest, MountsGuestShareShowingTheStatusWindowMeanwhile)
{
    KTMounter& mounter = mounterWith(m_guest);
    ASSERT_TRUE(
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.1/guest"), QStringLiteral("SMB")));
    EXPECT_EQ(m_status.calls,
        QStringList({QStringLiteral("setTitle Mounting drive SMB://127.0.0.1/guest"),
            QStringLiteral("show true"), QStringLiteral("hideNow")}));
    const std::optional<QString> folder = FileServer::gvfsFolder(guestShare());
    ASSERT_TRUE(folder);
    EXPECT_TRUE(QDir(*folder).exists());
    EXPECT_EQ(mounter.networkVolumeForShare(QStringLiteral("//127.0.0.1/guest")), *folder);
    EXPECT_EQ(mounter.mountPoints().value(QStringLiteral("//127.0.0.1/guest")).mnto, *folder);
}

TEST_F(KTMounterFileServerTest, AlreadyMountedShareCountsAsMounted)
{
    KTMounter& mounter = mounterWith(m_guest);
    ASSERT_TRUE(FileServer::gioMount(guestShare()));
    EXPECT_TRUE(
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.1/guest"), QStringLiteral("smb")));
    EXPECT_TRUE(mounter.mountPoints().contains(QStringLiteral("//127.0.0.1/guest")));
}

TEST_F(KTMounterFileServerTest, PasswordShareMountsWithTheAccount)
{
    ScriptedPrompt account = ScriptedPrompt::account(FileServer::user(), FileServer::password());
    KTMounter& mounter = mounterWith(account);
    ASSERT_TRUE(
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.1/private"), QStringLiteral("smb")));
    ASSERT_FALSE(account.requests.isEmpty());
    EXPECT_TRUE(account.requests.first().needsPassword);
    const QString mntfrom =
        mounter.mountPoints().value(QStringLiteral("//127.0.0.1/private")).mntfrom;
    // GVfs names the user in the mount source only when the URL named one.
    EXPECT_EQ(mntfrom, QStringLiteral("//127.0.0.1/private"));
    EXPECT_EQ(mounter.networkVolumeForShare(QStringLiteral("//127.0.0.1/Private")),
        FileServer::gvfsFolder(passwordShare()));
}

TEST_F(KTMounterFileServerTest, RefusedOrCancelledMountsFailWithStatusHiddenAndNothingMounted)
{
    ScriptedPrompt wrongPassword =
        ScriptedPrompt::account(FileServer::user(), QStringLiteral("wrong"));
    ScriptedPrompt cancel(std::nullopt);
    struct Case {
        const char* name;
        KTCredentialPrompt& prompt;
        const char* share;
    };
    for (const Case& c : {Case {"wrong password", wrongPassword, "private"},
             Case {"cancelled", cancel, "private"}, Case {"missing share", m_guest, "nosuch"}}) {
        SCOPED_TRACE(c.name);
        m_status.calls.clear();
        KTMounter& mounter = mounterWith(c.prompt);
        const QString share = QStringLiteral("//127.0.0.1/") + QString::fromUtf8(c.share);
        EXPECT_FALSE(mounter.mountNetworkVolume(share, QStringLiteral("smb")));
        EXPECT_FALSE(m_status.shown);
        EXPECT_EQ(m_status.calls.value(1), QStringLiteral("show true"));
        EXPECT_FALSE(FileServer::gvfsFolder(QString::fromUtf8(c.share)));
        EXPECT_TRUE(mounter.mountPoints().isEmpty());
    }
    EXPECT_LE(wrongPassword.requests.size(), 3);
    EXPECT_EQ(cancel.requests.size(), 1);
}

TEST_F(KTMounterFileServerTest, ShareWithASpaceFailsWithoutShowingTheStatus)
{
    KTMounter& mounter = mounterWith(m_guest);
    EXPECT_FALSE(
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.1/My Files"), QStringLiteral("smb")));
    EXPECT_TRUE(m_status.calls.isEmpty());
    EXPECT_TRUE(m_guest.requests.isEmpty());
}

TEST_F(KTMounterFileServerTest, TransformsPathsInMountedShareAndLeavesLocalPathsAlone)
{
    KTMounter& mounter = mounterWith(m_guest);
    ASSERT_TRUE(QDir().mkpath(FileServer::shareFolder(guestShare()) + QStringLiteral("/plans")));
    ASSERT_TRUE(
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.1/guest"), QStringLiteral("smb")));
    const QString folder = FileServer::gvfsFolder(guestShare()).value();
    EXPECT_EQ(mounter.transformToNetworkVolumePath(folder + QStringLiteral("/plans/a.doc")),
        QStringLiteral("//127.0.0.1/guest/plans/a.doc"));
    EXPECT_EQ(mounter.transformToNetworkVolumePath(folder), QStringLiteral("//127.0.0.1/guest"));
    const QTemporaryDir local;
    EXPECT_EQ(mounter.transformToNetworkVolumePath(local.path()), local.path());
    EXPECT_EQ(mounter.transformToNetworkVolumePath(QStringLiteral("/")), QStringLiteral("/"));
}

TEST_F(KTMounterFileServerTest, CredentialsComeFromATerminal)
{
    TerminalUser user({{"Connect as guest?", "n\n"}, {"User", "kestrova\n"}, {"Domain", "\n"},
        {"Password", "Kestrova-Test-1\n"}});
    ASSERT_EQ(FileServer::user(), QStringLiteral("kestrova"));
    ASSERT_EQ(FileServer::password(), QStringLiteral("Kestrova-Test-1"));
    KTTerminalCredentialPrompt terminal(user.terminal());
    KTMounter& mounter = mounterWith(terminal);
    EXPECT_TRUE(
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.1/private"), QStringLiteral("smb")));
    const QByteArray screen = user.screen();
    EXPECT_TRUE(screen.contains("Password: ")) << screen.toStdString();
}

// GVfs's folder of an NFS export holds its path percent-encoded, which stays as it is.
TEST_F(KTMounterFileServerTest, NfsExportMountsThroughGvfs)
{
    if (FileServer::nfsExports().isEmpty())
        GTEST_SKIP() << "no NFS server: nfs-ganesha and rpcbind are not installed";
    const QString exportPath = FileServer::nfsExports().first();
    QFile file(exportPath + QStringLiteral("/a.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    KTMounter& mounter = mounterWith(m_guest);
    const QString share = QStringLiteral("//127.0.0.1") + exportPath;
    ASSERT_TRUE(mounter.mountNetworkVolume(share, QStringLiteral("nfs")));
    const KTMountRecord record = mounter.mountPoints().value(share.toLower());
    EXPECT_EQ(record.mntfrom, share);
    EXPECT_TRUE(record.mnto.contains(QStringLiteral("/nfs:host=127.0.0.1,prefix=%2F")))
        << record.mnto.toStdString();
    EXPECT_TRUE(QFile::exists(record.mnto + QStringLiteral("/a.txt")));

    // The scan compares the last component of the export with the share name; the full
    // path is found through the record.
    EXPECT_EQ(mounter.networkVolumeForShare(QStringLiteral("//127.0.0.1/NFS")), record.mnto);
    EXPECT_EQ(mounter.networkVolumeForShare(share), record.mnto);
    EXPECT_EQ(mounter.transformToNetworkVolumePath(record.mnto + QStringLiteral("/a.txt")),
        share + QStringLiteral("/a.txt"));
}

// This machine's kernel may lack the CIFS client; then mount.cifs fails, and must leave
// no mount point behind.
TEST_F(KTMounterFileServerTest, CifsMountsThroughMountCifsOrFailsLeavingNothing)
{
    QFile filesystems(QStringLiteral("/proc/filesystems"));
    ASSERT_TRUE(filesystems.open(QIODevice::ReadOnly));
    const bool kernelHasCifs = filesystems.readAll().contains("\tcifs\n");
    const QTemporaryDir mountRoot;
    KTCifsServerMount cifs(m_guest, mountRoot.path());
    KTMounter mounter(*m_table, cifs, [this] { return &m_status; });
    const bool mounted =
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.1/guest"), QStringLiteral("cifs"));
    EXPECT_EQ(mounted, kernelHasCifs);
    EXPECT_FALSE(m_status.shown);
    if (mounted) {
        QProcess::execute(
            QStringLiteral("umount"), {mountRoot.path() + QStringLiteral("/127.0.0.1/guest")});
    } else {
        EXPECT_TRUE(
            QDir(mountRoot.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
        EXPECT_TRUE(std::any_of(m_log.begin(), m_log.end(), [](const QString& line) {
            return line.startsWith(
                QStringLiteral("Mounter: mount.cifs //127.0.0.1/guest failed: "));
        }));
    }
}

}
