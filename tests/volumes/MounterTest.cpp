#include "FakeMountParts.h"
#include "support/LogCapture.h"
#include "volumes/KTMounter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Mounter : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"projects/plans", "projects2", "myfiles", "home", "v6"})
            ASSERT_TRUE(QDir(m_root.path()).mkpath(QString::fromUtf8(folder)));
    }
    QString path(const char* relative) const
    {
        return m_root.path() + QLatin1Char('/') + QString::fromUtf8(relative);
    }
    KTMountEntry volume(const char* source, const char* relativeMountPoint) const
    {
        return KTMountEntry(
            QStringLiteral("cifs"), source, QFile::encodeName(path(relativeMountPoint)));
    }
    static KTMountEntry localDisk()
    {
        return KTMountEntry(QStringLiteral("ext4"), "/dev/vda", "/");
    }
    std::optional<QString> find(const char* share)
    {
        return m_mounter.networkVolumeForShare(QString::fromUtf8(share));
    }
    bool mount(const char* share, const char* method = "smb")
    {
        return m_mounter.mountNetworkVolume(QString::fromUtf8(share), QString::fromUtf8(method));
    }
    QTemporaryDir m_root;
    FakeMountTable m_table;
    FakeServerMount m_server;
    RecordingStatusDisplay m_status;
    KTMounter m_mounter {m_table, m_server, [this] { return &m_status; }};
    LogCapture m_log;
};

// A volume whose root is missing, or hidden under a later mount, is passed over.
TEST_F(Mounter, ScanFindsTheFirstVisibleVolumeOfServerAndShareIgnoringCaseAndUser)
{
    m_table.setVolumes(
        {localDisk(), volume("//fs1/Projects", "missing"), volume("//fs1/Projects", "home"),
            KTMountEntry(QStringLiteral("tmpfs"), "tmpfs", QFile::encodeName(path("home"))),
            volume("//alice@fs1/Projects", "projects"), volume("//fs1/projects", "projects2"),
            volume("//fs1/My%20Files", "myfiles"), volume("//fs2/export/home", "v6")});
    EXPECT_EQ(find("//FS1/projects"), path("projects"));
    EXPECT_EQ(find("//fs1/Projects/plans"), path("projects"));
    EXPECT_EQ(find("//fs1/my files"), path("myfiles"));
    // Of an NFS export only the last component is compared with the share name.
    EXPECT_EQ(find("//FS2/home"), path("v6"));
    EXPECT_EQ(find("//fs2/export"), std::nullopt);
    for (const char* share : {"//fs1", "//fs1/", "fs1", "", "//", "//fs1/Other"})
        EXPECT_EQ(find(share), std::nullopt) << share;
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
    ASSERT_FALSE(m_log.lines().isEmpty());
    EXPECT_EQ(m_log.lines().first(),
        QStringLiteral("We seem to have found it from: //alice@fs1/Projects to: ")
            + path("projects"));
}

TEST_F(Mounter, MountsMethodColonEncodedShareShowingTheStatusMeanwhile)
{
    bool shownDuringMount = false;
    m_server.duringMount = [&] { shownDuringMount = m_status.shown; };
    m_server.result = {true, std::nullopt};
    EXPECT_TRUE(mount("//fs1/My Files", "afp"));
    EXPECT_EQ(m_server.urls, QStringList {QStringLiteral("afp://fs1/My%20Files")});
    EXPECT_TRUE(shownDuringMount);
    EXPECT_EQ(m_status.calls.join(u'|'),
        QStringLiteral("setTitle Mounting drive afp://fs1/My%20Files|show true|hideNow"));
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
    m_server.result = {false, std::nullopt};
    EXPECT_FALSE(mount("//fs1/Projects"));
    EXPECT_FALSE(m_status.shown);
    EXPECT_EQ(m_status.calls.last(), QStringLiteral("hideNow"));
    KTMounter withoutStatus(m_table, m_server, [] { return nullptr; });
    m_server.result = {true, path("missing")};
    EXPECT_TRUE(withoutStatus.mountNetworkVolume(QStringLiteral("//fs1/P"), QStringLiteral("smb")));
    EXPECT_TRUE(withoutStatus.mountPoints().isEmpty()) << "a root that cannot be examined";
}

TEST_F(Mounter, HostileShareIsRefusedBeforeAnyMountWithTheReasonLogged)
{
    m_server.result = {true, std::nullopt};
    for (const char* method : {"smb", "afp", "nfs", "cifs"})
        EXPECT_FALSE(mount("//127.0.0.1/s,ip=192.0.2.7,vers=1.0", method));
    EXPECT_TRUE(m_server.urls.isEmpty());
    EXPECT_TRUE(m_status.calls.isEmpty());
    EXPECT_EQ(m_log.lines().last(),
        QStringLiteral("Mounter: //127.0.0.1/s,ip=192.0.2.7,vers=1.0 cannot be mounted: the share "
                       "name holds \",\" (U+002C)"));
}

// A source that is no URL (an NFS source without a path) is found through the record only.
TEST_F(Mounter, RecordIsKeptUnderTheLowerCaseShareUntilAnotherVolumeTakesItsPlace)
{
    m_table.setVolumes({localDisk(), volume("fs9", "myfiles")});
    m_server.result = {true, path("myfiles")};
    ASSERT_TRUE(mount("//fs1/My Files"));
    EXPECT_EQ(m_table.awaited, QStringList {path("myfiles")});
    const QHash<QString, KTMountRecord> expected {
        {QStringLiteral("//fs1/my files"), KTMountRecord {QStringLiteral("fs9"), path("myfiles")}}};
    EXPECT_EQ(m_mounter.mountPoints(), expected);
    const qsizetype logged = m_log.lines().size();
    EXPECT_EQ(find("//FS1/MY FILES"), path("myfiles"));
    EXPECT_EQ(m_log.lines().mid(logged),
        QStringList {
            QStringLiteral("Mounter: There is already one mntfrom: fs9 mnto ") + path("myfiles")});
    // A gone mount point keeps the record; another volume there, or none, removes it.
    ASSERT_TRUE(QDir(path("myfiles")).removeRecursively());
    EXPECT_EQ(find("//fs1/My Files"), std::nullopt);
    EXPECT_EQ(m_mounter.mountPoints().size(), 1);
    ASSERT_TRUE(QDir().mkpath(path("myfiles")));
    for (const QList<KTMountEntry>& volumes :
        {QList {localDisk(), volume("//fs9/Other", "myfiles")}, QList {localDisk()}}) {
        ASSERT_TRUE(mount("//fs1/My Files"));
        m_table.setVolumes(volumes);
        EXPECT_EQ(find("//fs1/My Files"), std::nullopt);
        EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
        m_table.setVolumes({localDisk(), volume("fs9", "myfiles")});
    }
    // Mounted again elsewhere, the record follows.
    ASSERT_TRUE(mount("//fs1/My Files"));
    m_table.setVolumes({localDisk(), volume("fs9", "home")});
    m_server.result = {true, path("home")};
    ASSERT_TRUE(mount("//FS1/my files"));
    EXPECT_EQ(m_mounter.mountPoints().value(QStringLiteral("//fs1/my files")).mnto, path("home"));
}

TEST_F(Mounter, TransformGivesServerPathsOnNetworkVolumesOnly)
{
    m_table.setVolumes({localDisk(), volume("//alice@fs1/Projects", "projects"),
        volume("//fs2/export/home", "home"), volume("//fs2/", "nfsroot"),
        volume("//fs1/Pct", "pct%41"), volume("//fs1/my%20files", "myfiles"),
        volume("//fs1/Donn%C3%A9es", "donnees"), volume("//[fd00::2]/srv", "v6")});
    // A path under the folder and its server path (null: unchanged).
    const char* const cases[][2] = {{"projects/plans/a.doc", "//fs1/Projects/plans/a.doc"},
        {"projects", "//fs1/Projects"}, {"projects/", "//fs1/Projects"},
        {"projects//plans///a.doc", "//fs1/Projects/plans/a.doc"},
        {"projects/./plans/../a.doc", "//fs1/Projects/a.doc"},
        {"home/bob/notes.txt", "//fs2/export/home/bob/notes.txt"},
        {"nfsroot/etc/motd", "//fs2/etc/motd"}, {"nfsroot", "//fs2/"},
        {"pct%41/x.doc", "//fs1/Pct/x.doc"}, {"myfiles/a b.doc", "//fs1/my files/a b.doc"},
        {"donnees/é.txt", "//fs1/Données/é.txt"}, {"v6/a", "//[fd00::2]/srv/a"},
        {"local/a.doc", nullptr}};
    for (const auto& [local, serverPath] : cases)
        EXPECT_EQ(m_mounter.transformToNetworkVolumePath(path(local)),
            serverPath ? QString::fromUtf8(serverPath) : path(local));
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(QString()), QString());
    // Links are followed only for a path that is on no network volume as written.
    ASSERT_TRUE(QFile::link(path("projects/plans"), path("plans-link")));
    EXPECT_EQ(
        m_mounter.transformToNetworkVolumePath(path("plans-link/a.doc")), path("plans-link/a.doc"));
    ASSERT_TRUE(QFile(path("projects/plans/a.doc")).open(QIODevice::WriteOnly));
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(path("plans-link/a.doc")),
        QStringLiteral("//fs1/Projects/plans/a.doc"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path("projects")));
    const QString relative = m_mounter.transformToNetworkVolumePath(QStringLiteral("plans/a.doc"));
    QDir::setCurrent(previous);
    EXPECT_EQ(relative, QStringLiteral("//fs1/Projects/plans/a.doc"));
}

}
