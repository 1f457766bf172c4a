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

TEST(MountInfo, ParsesEveryLineThatHasTheFormatInOrder)
{
    const QList<MountInfo::Line> lines = MountInfo::parse("27 1 254:0 / / rw - ext4 /dev/vda rw\n"
                                                          "garbage\n\n"
                                                          "35 27 8:1 / /boot rw - ext4 /dev/sda1");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].mountId, 27);
    EXPECT_EQ(lines[1].source, QByteArray("/dev/sda1")) << "a line without super options";
    EXPECT_TRUE(lines[1].superOptions.isEmpty());
    const QList<MountInfo::Line> current = MountInfo::parse(MountInfo::readCurrent());
    EXPECT_TRUE(std::any_of(current.begin(), current.end(),
        [](const MountInfo::Line& line) { return line.mountPoint == "/"; }));
}

TEST(MountInfo, ReadsTruncatedEscapesAsText)
{
    const std::pair<const char*, const char*> fields[] = {{"a\\04", "a\\04"},
        {"a\\9999", "a\\9999"}, {"\\011\\012\\134", "\t\n\\"}, {"\\400", "\\400"}};
    for (const auto& [escaped, text] : fields)
        EXPECT_EQ(MountInfo::unescapeField(escaped), QByteArray(text)) << escaped;
}

}
