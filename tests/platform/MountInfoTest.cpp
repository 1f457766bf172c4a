#include "platform/MountInfo.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

#include <algorithm>

namespace {

TEST(MountInfo, GivesTheFieldsOfALine)
{
    const std::optional<MountInfo::Line> line = MountInfo::parseLine(
        "412 29 0:61 /smb-share:server=fs1,share=my\\040files /run/user/1000/gvfs rw,nosuid "
        "shared:7 master:2 - fuse.gvfsd-fuse gvfsd-fuse rw,user_id=1000,group_id=1000");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->mountId, 412);
    EXPECT_EQ(line->device, makedev(0, 61));
    EXPECT_EQ(line->root, QByteArray("/smb-share:server=fs1,share=my files"));
    EXPECT_EQ(line->mountPoint, QByteArray("/run/user/1000/gvfs"));
    EXPECT_EQ(line->fileSystemType, QByteArray("fuse.gvfsd-fuse"));
    EXPECT_EQ(line->source, QByteArray("gvfsd-fuse"));
    EXPECT_EQ(line->superOptions, QByteArray("rw,user_id=1000,group_id=1000"));
}

class MountInfoRefusedLine : public testing::TestWithParam<const char*> { };

TEST_P(MountInfoRefusedLine, IsNoMount)
{
    EXPECT_FALSE(MountInfo::parseLine(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(MountInfo, MountInfoRefusedLine,
    testing::Values("", "garbage", "28 27 0:1 / /no/separator rw shared:1 ext4 /dev/x rw",
        "29 27 0:2 / relative rw - tmpfs tmpfs rw", "30 27 0:3 / /cut rw -",
        "31 27 0:3 / /cut rw - ext4", "x 27 0:4 / /mnt rw - ext4 /dev/x rw",
        "32 27 0 / /mnt rw - ext4 /dev/x rw", "33 27 0:y / /mnt rw - ext4 /dev/x rw",
        "34 27 0:4 / /mnt - ext4 /dev/x rw"));

TEST(MountInfo, TakesALineWithoutSuperOptions)
{
    const std::optional<MountInfo::Line> line =
        MountInfo::parseLine("35 27 8:1 / /boot rw - ext4 /dev/sda1");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->source, QByteArray("/dev/sda1"));
    EXPECT_TRUE(line->superOptions.isEmpty());
}

TEST(MountInfo, ParsesEveryLineThatHasTheFormatInOrder)
{
    const QList<MountInfo::Line> lines =
        MountInfo::parse("27 1 254:0 / / rw - ext4 /dev/vda rw\n"
                         "garbage\n"
                         "\n"
                         "31 27 0:4 / /mnt/p rw - cifs //fs1/p rw");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].mountId, 27);
    EXPECT_EQ(lines[1].mountId, 31);
}

TEST(MountInfo, ReadsTruncatedEscapesAsText)
{
    EXPECT_EQ(MountInfo::unescapeField("a\\04"), QByteArray("a\\04"));
    EXPECT_EQ(MountInfo::unescapeField("a\\9999"), QByteArray("a\\9999"));
    EXPECT_EQ(MountInfo::unescapeField("\\011\\012\\134"), QByteArray("\t\n\\"));
    EXPECT_EQ(MountInfo::unescapeField("\\400"), QByteArray("\\400"));
}

TEST(MountInfo, ReadsTheTableOfThisProcess)
{
    const QList<MountInfo::Line> lines = MountInfo::parse(MountInfo::readCurrent());
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
        [](const MountInfo::Line& line) { return line.mountPoint == "/"; }));
}

}
