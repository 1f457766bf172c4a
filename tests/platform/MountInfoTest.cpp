#include "platform/MountInfo.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

namespace {

TEST(MountInfo, GivesTheFieldsOfALineAndRefusesBrokenOnes)
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
    const std::optional<MountInfo::Line> bare =
        MountInfo::parseLine("35 27 8:1 / /boot rw - ext4 /dev/sda1");
    ASSERT_TRUE(bare) << "a line without super options";
    EXPECT_EQ(bare->source, QByteArray("/dev/sda1"));
    EXPECT_TRUE(bare->superOptions.isEmpty());
    for (const char* refused :
        {"", "28 27 0:1 / /no/separator rw shared:1 ext4 /dev/x rw", "31 27 0:3 / /cut rw - ext4",
            "x 27 0:4 / /mnt rw - ext4 /dev/x rw", "32 27 0 / /mnt rw - ext4 /dev/x rw",
            "33 27 0:y / /mnt rw - ext4 /dev/x rw", "34 27 0:4 / /mnt - ext4 /dev/x rw"})
        EXPECT_FALSE(MountInfo::parseLine(refused)) << refused;
}

TEST(MountInfo, ReadsTruncatedEscapesAsText)
{
    const std::pair<const char*, const char*> fields[] = {{"a\\04", "a\\04"},
        {"a\\9999", "a\\9999"}, {"\\011\\012\\134", "\t\n\\"}, {"\\400", "\\400"}};
    for (const auto& [escaped, text] : fields)
        EXPECT_EQ(MountInfo::unescapeField(escaped), QByteArray(text)) << escaped;
}

}
