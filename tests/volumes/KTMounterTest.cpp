#include "volumes/KTMounter.h"

#include "FakeMountParts.h"
#include "platform/SystemLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class KTMounterTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        for (const char* folder : {"projects/plans", "projects2", "myfiles", "home", "gone"})
            ASSERT_TRUE(QDir(m_root.path()).mkpath(QString::fromUtf8(folder)));
        m_previousSink = SystemLog::setSink([this](const QString& line) { m_log << line; });
    }
    void TearDown() override { SystemLog::setSink(m_previousSink); }

    QString path(const QString& relative) const
    {
        return m_root.path() + QLatin1Char('/') + relative;
    }

    KTMountEntry volume(
        const char* type, const char* source, const QString& relativeMountPoint) const
    {
        return KTMountEntry(
            QString::fromUtf8(type), source, QFile::encodeName(path(relativeMountPoint)));
    }
    KTMountEntry localDisk() const { return KTMountEntry(QStringLiteral("ext4"), "/dev/vda", "/"); }

    QTemporaryDir m_root;
    FakeMountTable m_table;
    FakeServerMount m_server;
    RecordingStatusDisplay m_status;
    KTMounter m_mounter {m_table, m_server, [this] { return &m_status; }};
    QStringList m_log;
    SystemLog::Sink m_previousSink;
};

TEST_F(KTMounterTest, ScanFindsTheFirstVolumeOfServerAndShareIgnoringCaseAndUser)
{
    m_table.setVolumes(
        {localDisk(), volume("cifs", "//alice@fs1/Projects", QStringLiteral("projects")),
            volume("cifs", "//fs1/projects", QStringLiteral("projects2"))});
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//FS1/projects")),
        path(QStringLiteral("projects")));
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//fs1/Projects/plans")),
        path(QStringLiteral("projects")));
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
    ASSERT_FALSE(m_log.isEmpty());
    EXPECT_EQ(m_log.first(),
        QStringLiteral("We seem to have found it from: //alice@fs1/Projects to: ")
            + path(QStringLiteral("projects")));
}

TEST_F(KTMounterTest, ScanSkipsVolumesWhoseRootIsGoneOrHidden)
{
    m_table.setVolumes({localDisk(), volume("cifs", "//fs1/Projects", QStringLiteral("missing")),
        volume("cifs", "//fs1/Projects", QStringLiteral("home")),
        volume("tmpfs", "tmpfs", QStringLiteral("home")),
        volume("cifs", "//fs1/Projects", QStringLiteral("projects2"))});
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//fs1/Projects")),
        path(QStringLiteral("projects2")));
}

// This machine's kernel has neither a CIFS nor an NFS client, so its kernel mounts come
// from a mountinfo text.
TEST_F(KTMounterTest, FindsAndTransformsKernelCifsAndNfsMounts)
{
    m_table.setTable(KTMountTable::fromMountInfo("27 1 254:0 / / rw - ext4 /dev/vda rw\n"
                                                 "97 27 0:50 / "
        + QFile::encodeName(path(QStringLiteral("projects")))
        + " rw,relatime shared:55 - cifs //fs1/Projects rw,username=alice\n"
          "98 27 0:51 / "
        + QFile::encodeName(path(QStringLiteral("home")))
        + " rw - nfs fs2:/export/home rw,vers=3\n"));
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//fs1/projects")),
        path(QStringLiteral("projects")));
    // The scan compares the share name with the last component of the export only.
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//FS2/home")),
        path(QStringLiteral("home")));
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//fs2/export")), std::nullopt);
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(path(QStringLiteral("projects/plans/a.doc"))),
        QStringLiteral("//fs1/Projects/plans/a.doc"));
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(path(QStringLiteral("home/bob"))),
        QStringLiteral("//fs2/export/home/bob"));
}

TEST_F(KTMounterTest, SharesWithoutServerAndShareNameAreNotFound)
{
    m_table.setVolumes({localDisk(), volume("nfs", "//fs1/", QStringLiteral("projects"))});
    for (const char* share : {"//fs1", "//fs1/", "fs1", "", "//"}) {
        SCOPED_TRACE(share);
        EXPECT_EQ(m_mounter.networkVolumeForShare(QString::fromUtf8(share)), std::nullopt);
    }
}

TEST_F(KTMounterTest, MountUsesMethodColonShareAndShowsStatusMeanwhile)
{
    bool shownDuringMount = false;
    m_server.duringMount = [&] { shownDuringMount = m_status.shown; };
    m_server.result = {true, std::nullopt};
    EXPECT_TRUE(
        m_mounter.mountNetworkVolume(QStringLiteral("//fs1/Projects"), QStringLiteral("afp")));
    EXPECT_EQ(m_server.urls, QStringList {QStringLiteral("afp://fs1/Projects")});
    EXPECT_TRUE(shownDuringMount);
    EXPECT_EQ(m_status.calls,
        QStringList({QStringLiteral("setTitle Mounting drive afp://fs1/Projects"),
            QStringLiteral("show true"), QStringLiteral("hideNow")}));
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
}

TEST_F(KTMounterTest, ShareThatMakesNoURLFailsWithoutStatus)
{
    for (const char* share :
        {"//fs1/My Files", "//fs1/a|b", "//fs1/a%zz", "//fs1/a#b", "//fs1/a?b"}) {
        SCOPED_TRACE(share);
        EXPECT_FALSE(m_mounter.mountNetworkVolume(QString::fromUtf8(share), QStringLiteral("smb")));
    }
    EXPECT_TRUE(m_server.urls.isEmpty());
    EXPECT_TRUE(m_status.calls.isEmpty());
}

TEST_F(KTMounterTest, FailedMountReturnsFalseWithStatusHidden)
{
    m_server.result = {false, std::nullopt};
    EXPECT_FALSE(
        m_mounter.mountNetworkVolume(QStringLiteral("//fs1/Projects"), QStringLiteral("smb")));
    EXPECT_FALSE(m_status.shown);
    EXPECT_EQ(m_status.calls.last(), QStringLiteral("hideNow"));
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
}

TEST_F(KTMounterTest, MountWorksWithoutStatusWindow)
{
    KTMounter mounter(m_table, m_server, [] { return nullptr; });
    m_server.result = {true, std::nullopt};
    EXPECT_TRUE(
        mounter.mountNetworkVolume(QStringLiteral("//fs1/Projects"), QStringLiteral("smb")));
}

TEST_F(KTMounterTest, MountWhoseRootCannotBeExaminedRecordsNothing)
{
    m_table.setVolumes({localDisk()});
    m_server.result = {true, path(QStringLiteral("missing"))};
    EXPECT_TRUE(
        m_mounter.mountNetworkVolume(QStringLiteral("//fs1/Projects"), QStringLiteral("smb")));
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
}

// The source of the share holds an escaped space, so the scan cannot read it as a URL
// and only the record finds the volume.
class KTMounterRecordTest : public KTMounterTest {
protected:
    void SetUp() override
    {
        KTMounterTest::SetUp();
        m_table.setVolumes(
            {localDisk(), volume("cifs", "//fs1/My%20Files", QStringLiteral("myfiles"))});
        m_server.result = {true, path(QStringLiteral("myfiles"))};
        ASSERT_TRUE(m_mounter.mountNetworkVolume(
            QStringLiteral("//fs1/My%20Files"), QStringLiteral("smb")));
    }
};

TEST_F(KTMounterRecordTest, MountIsRecordedUnderLowerCaseShare)
{
    EXPECT_EQ(m_table.awaited, QStringList {path(QStringLiteral("myfiles"))});
    const QHash<QString, KTMountRecord> expected {{QStringLiteral("//fs1/my%20files"),
        KTMountRecord {QStringLiteral("//fs1/My Files"), path(QStringLiteral("myfiles"))}}};
    EXPECT_EQ(m_mounter.mountPoints(), expected);
}

TEST_F(KTMounterRecordTest, RecordFindsTheMountUnderOtherLetterCase)
{
    m_log.clear();
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//FS1/MY%20FILES")),
        path(QStringLiteral("myfiles")));
    EXPECT_EQ(m_log,
        QStringList {QStringLiteral("Mounter: There is already one mntfrom: //fs1/My Files mnto ")
            + path(QStringLiteral("myfiles"))});
}

TEST_F(KTMounterRecordTest, GoneMountPointGivesNoneAndKeepsTheRecord)
{
    ASSERT_TRUE(QDir(path(QStringLiteral("myfiles"))).removeRecursively());
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//fs1/My%20Files")), std::nullopt);
    EXPECT_EQ(m_mounter.mountPoints().size(), 1);
}

TEST_F(KTMounterRecordTest, AnotherVolumeAtTheMountPointRemovesTheRecord)
{
    m_table.setVolumes({localDisk(), volume("cifs", "//fs9/Other", QStringLiteral("myfiles"))});
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//fs1/My%20Files")), std::nullopt);
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
}

TEST_F(KTMounterRecordTest, UnmountedKernelVolumeLeavesItsFolderToTheDiskAndTheRecordGoes)
{
    m_table.setVolumes({localDisk()});
    EXPECT_EQ(m_mounter.networkVolumeForShare(QStringLiteral("//fs1/My%20Files")), std::nullopt);
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
}

TEST_F(KTMounterRecordTest, LaterMountOfTheSameShareReplacesTheRecord)
{
    m_table.setVolumes(
        {localDisk(), volume("cifs", "//bob@fs1/My%20Files", QStringLiteral("home"))});
    m_server.result = {true, path(QStringLiteral("home"))};
    ASSERT_TRUE(
        m_mounter.mountNetworkVolume(QStringLiteral("//FS1/my%20files"), QStringLiteral("smb")));
    ASSERT_EQ(m_mounter.mountPoints().size(), 1);
    EXPECT_EQ(m_mounter.mountPoints().begin()->mnto, path(QStringLiteral("home")));
}

}
