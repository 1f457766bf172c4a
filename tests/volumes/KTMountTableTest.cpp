#include "volumes/KTMountTable.h"

#include <gtest/gtest.h>

namespace {

KTMountEntry volume(const char* source, const char* mountPoint, const char* type = "cifs")
{
    return KTMountEntry(QString::fromUtf8(type), source, mountPoint);
}

QString sourceHolding(const KTMountTable& table, const char* path)
{
    const KTMountEntry* holder = table.volumeForPath(QString::fromUtf8(path));
    return holder ? holder->mountSource() : QStringLiteral("(none)");
}

TEST(KTMountTable, LongestMountPointThatIsAFolderAboveThePathWins)
{
    const KTMountTable table({volume("/dev/vda", "/", "ext4"),
        volume("//fs1/Projects", "/mnt/projects"), volume("tmpfs", "/mnt", "tmpfs")});
    EXPECT_EQ(sourceHolding(table, "/mnt/projects/plans/a.doc"), QStringLiteral("//fs1/Projects"));
    EXPECT_EQ(sourceHolding(table, "/mnt/projects"), QStringLiteral("//fs1/Projects"));
    EXPECT_EQ(sourceHolding(table, "/mnt/projectsX/a"), QStringLiteral("tmpfs"));
    EXPECT_EQ(sourceHolding(table, "/mnt"), QStringLiteral("tmpfs"));
    EXPECT_EQ(sourceHolding(table, "/home/a"), QStringLiteral("/dev/vda"));
    EXPECT_EQ(sourceHolding(table, "/"), QStringLiteral("/dev/vda"));
}

TEST(KTMountTable, OfVolumesOnOnePointTheLastMountedHoldsThePath)
{
    const KTMountTable table({volume("//fs1/Old", "/mnt/p"), volume("//fs1/New", "/mnt/p"),
        volume("/dev/vda", "/", "ext4")});
    EXPECT_EQ(sourceHolding(table, "/mnt/p/a"), QStringLiteral("//fs1/New"));
}

TEST(KTMountTable, GvfsFuseFolderHoldsOnlyItsShares)
{
    const KTMountTable table = KTMountTable::fromMountInfo(
        "27 1 254:0 / / rw - ext4 /dev/vda rw\n"
        "69 27 0:41 / /run/user/0/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n",
        {volume("//fs1/projects", "/run/user/0/gvfs/smb-share:server=fs1,share=projects",
            "gvfs.smb-share")});
    EXPECT_EQ(sourceHolding(table, "/run/user/0/gvfs/smb-share:server=fs1,share=projects/a"),
        QStringLiteral("//fs1/projects"));
    EXPECT_EQ(sourceHolding(table, "/run/user/0/gvfs/smb-share:server=fs1,share=gone/a"),
        QStringLiteral("(none)"));
    EXPECT_EQ(sourceHolding(table, "/run/user/0/gvfs"), QStringLiteral("gvfsd-fuse"));
}

TEST(KTMountTable, EmptyTableHoldsNothing)
{
    EXPECT_EQ(KTMountTable().volumeForPath(u"/"), nullptr);
}

}
