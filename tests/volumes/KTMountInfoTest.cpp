#include "volumes/KTMountInfo.h"

#include "volumes/KTMountTable.h"

#include <gtest/gtest.h>

namespace {

struct MountInfoCase {
    const char* name;
    const char* line;
    const char* type;
    const char* source;
    const char* mountPoint;
};

void PrintTo(const MountInfoCase& c, std::ostream* out)
{
    *out << c.name;
}

class MountInfoLine : public testing::TestWithParam<MountInfoCase> { };

TEST_P(MountInfoLine, GivesTypeShareFormSourceAndMountPoint)
{
    const MountInfoCase& c = GetParam();
    const QList<KTMountEntry> entries = KTMountInfo::parse(c.line);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].fileSystemType(), QString::fromUtf8(c.type));
    EXPECT_EQ(entries[0].rawMountSource(), QByteArray(c.source));
    EXPECT_EQ(entries[0].rawMountPoint(), QByteArray(c.mountPoint));
}

INSTANTIATE_TEST_SUITE_P(KTMountInfo, MountInfoLine,
    testing::Values(MountInfoCase {"cifs",
                        "97 27 0:50 / /mnt/projects rw,relatime shared:55 - cifs //fs1/Projects "
                        "rw,vers=3.1.1,username=alice",
                        "cifs", "//fs1/Projects", "/mnt/projects"},
        MountInfoCase {"cifsWithBackslashes",
            "97 27 0:50 / /mnt/p rw - cifs \\134\\134fs1\\134Projects rw", "cifs", "//fs1/Projects",
            "/mnt/p"},
        MountInfoCase {"smb3", "97 27 0:50 / /mnt/p rw - smb3 //fs1/Projects rw", "smb3",
            "//fs1/Projects", "/mnt/p"},
        MountInfoCase {"nfs",
            "98 27 0:51 / /mnt/home rw,relatime - nfs fs2:/export/home rw,vers=3,addr=10.0.0.2",
            "nfs", "//fs2/export/home", "/mnt/home"},
        MountInfoCase {"nfs4Ipv6",
            "98 27 0:51 / /mnt/srv rw master:3 shared:7 - nfs4 [fd00::2]:/srv rw", "nfs4",
            "//[fd00::2]/srv", "/mnt/srv"},
        MountInfoCase {"nfsRootExport", "98 27 0:51 / /mnt/all rw - nfs fs2:/ rw", "nfs", "//fs2/",
            "/mnt/all"},
        MountInfoCase {
            "nfsWithoutPathStays", "98 27 0:51 / /mnt/x rw - nfs fs2 rw", "nfs", "fs2", "/mnt/x"},
        MountInfoCase {"escapedNames",
            "99 27 0:52 / /mnt/My\\040Files rw - cifs //fs1/My\\040Files rw", "cifs",
            "//fs1/My Files", "/mnt/My Files"},
        MountInfoCase {"localDisk", "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw,discard", "ext4",
            "/dev/vda", "/"},
        MountInfoCase {"gvfsFuse",
            "69 46 0:41 / /run/user/0/gvfs rw,nosuid - fuse.gvfsd-fuse gvfsd-fuse rw,user_id=0",
            "fuse.gvfsd-fuse", "gvfsd-fuse", "/run/user/0/gvfs"}));

TEST(KTMountInfo, SkipsLinesWithoutTheFormatAndKeepsOrder)
{
    const QByteArray text = "27 1 254:0 / / rw - ext4 /dev/vda rw\n"
                            "garbage\n"
                            "28 27 0:1 / /no/separator rw shared:1 ext4 /dev/x rw\n"
                            "29 27 0:2 / relative rw - tmpfs tmpfs rw\n"
                            "30 27 0:3 / /cut rw -\n"
                            "\n"
                            "31 27 0:4 / /mnt/p rw - cifs //fs1/Projects rw";
    const QList<KTMountEntry> entries = KTMountInfo::parse(text);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].mountPoint(), QStringLiteral("/"));
    EXPECT_EQ(entries[1].mountPoint(), QStringLiteral("/mnt/p"));
}

TEST(KTMountInfo, KernelMountsComeBeforeGvfsShares)
{
    const KTMountTable table = KTMountTable::fromMountInfo("27 1 254:0 / / rw - ext4 /dev/vda rw\n",
        {KTMountEntry(QStringLiteral("gvfs.smb-share"), "//fs1/projects",
            "/run/user/0/gvfs/smb-share:server=fs1,share=projects")});
    ASSERT_EQ(table.volumes().size(), 2);
    EXPECT_EQ(table.volumes()[0].mountSource(), QStringLiteral("/dev/vda"));
    EXPECT_EQ(table.volumes()[1].mountSource(), QStringLiteral("//fs1/projects"));
}

}
