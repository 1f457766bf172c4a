#include "support/Eventually.h"
#include "support/FileServer.h"
#include "volumes/KTSystemMountTable.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

namespace {

std::optional<KTMountEntry> volumeAt(KTSystemMountTable& table, const QString& mountPoint)
{
    for (const KTMountEntry& volume : table.current()->volumes()) {
        if (volume.mountPoint() == mountPoint)
            return volume;
    }
    return std::nullopt;
}

class KTSystemMountTableTest : public FileServerTest {
protected:
    KTSystemMountTable m_table;
};

TEST_F(KTSystemMountTableTest, HoldsTheKernelMountsOfThisProcess)
{
    const std::shared_ptr<const KTMountTable> table = m_table.current();
    const KTMountEntry* root = table->volumeForPath(u"/");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->mountPoint(), QStringLiteral("/"));
    const std::optional<KTMountEntry> fuse =
        volumeAt(m_table, qEnvironmentVariable("KESTROVA_GVFS_FUSE"));
    ASSERT_TRUE(fuse);
    EXPECT_EQ(fuse->fileSystemType(), QStringLiteral("fuse.gvfsd-fuse"));
    // Nothing changed, so nothing was read again.
    EXPECT_EQ(m_table.current(), table);
}

// The harness runs the test in a mount namespace of its own, where mounting a tmpfs
// touches nothing else.
TEST_F(KTSystemMountTableTest, SeesKernelMountsComeAndGo)
{
    const QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.path());
    ASSERT_FALSE(volumeAt(m_table, folder.path()));
    ASSERT_EQ(::mount("kestrova-test", path.constData(), "tmpfs", 0, nullptr), 0);
    ASSERT_TRUE(eventually([&] { return volumeAt(m_table, folder.path()).has_value(); }));
    const std::optional<KTMountEntry> mounted = volumeAt(m_table, folder.path());
    EXPECT_EQ(mounted->mountSource(), QStringLiteral("kestrova-test"));
    EXPECT_EQ(mounted->fileSystemType(), QStringLiteral("tmpfs"));
    ASSERT_EQ(::umount(path.constData()), 0);
    EXPECT_TRUE(eventually([&] { return !volumeAt(m_table, folder.path()); }));
}

TEST_F(KTSystemMountTableTest, GvfsSharesAreVolumesOfTheirOwnWithTheirShareAsSource)
{
    ASSERT_TRUE(FileServer::gioMount(QStringLiteral("guest")));
    ASSERT_TRUE(FileServer::gioMount(QStringLiteral("private"), true));
    const QString guest = FileServer::gvfsFolder(QStringLiteral("guest")).value();
    const QString account = FileServer::gvfsFolder(QStringLiteral("private")).value();
    ASSERT_TRUE(eventually([&] { return volumeAt(m_table, guest) && volumeAt(m_table, account); }));
    const std::shared_ptr<const KTMountTable> table = m_table.current();
    EXPECT_EQ(volumeAt(m_table, guest)->mountSource(), QStringLiteral("//127.0.0.1/guest"));
    EXPECT_EQ(volumeAt(m_table, account)->mountSource(),
        QStringLiteral("//") + FileServer::user() + QStringLiteral("@127.0.0.1/private"));
    EXPECT_EQ(table->volumeForPath(QString(guest + QStringLiteral("/a/b")))->mountSource(),
        QStringLiteral("//127.0.0.1/guest"));

    // Kernel mounts first, then the GVfs shares in the order of their folders.
    const QList<KTMountEntry>& volumes = table->volumes();
    ASSERT_GE(volumes.size(), 3);
    EXPECT_EQ(volumes[volumes.size() - 2].mountPoint(), guest);
    EXPECT_EQ(volumes.last().mountPoint(), account);

    ASSERT_TRUE(FileServer::gioUnmount(QStringLiteral("guest")));
    ASSERT_TRUE(eventually([&] { return !volumeAt(m_table, guest); }));
    EXPECT_EQ(m_table.current()->volumeForPath(QString(guest + QStringLiteral("/a"))), nullptr);
}

}
