#include "volumes/KTMountEntry.h"

#include "volumes/KTMountNames.h"

#include <gtest/gtest.h>

namespace {

TEST(KTMountNames, ReplacesPercentEscapesAfterReadingTheFileName)
{
    EXPECT_EQ(KTMountNames::decode("//fs1/My%20Files"), QStringLiteral("//fs1/My Files"));
    EXPECT_EQ(KTMountNames::decode("//fs1/Donn%C3%A9es"), QStringLiteral("//fs1/Données"));
    EXPECT_EQ(KTMountNames::decode("/mnt/Données"), QStringLiteral("/mnt/Données"));
}

TEST(KTMountNames, KeepsEscapesThatDecodeToNoText)
{
    EXPECT_EQ(KTMountNames::decode("//fs1/a%FFb"), QStringLiteral("//fs1/a%FFb"));
}

TEST(KTMountNames, StopsAtTheFirstZeroByte)
{
    EXPECT_EQ(KTMountNames::decode(QByteArrayView("//fs1/a\0junk", 12)), QStringLiteral("//fs1/a"));
    EXPECT_EQ(KTMountNames::fileName(QByteArrayView("/mnt/a%20b\0junk", 15)),
        QStringLiteral("/mnt/a%20b"));
}

TEST(KTMountEntry, ReadsTheDecodedSourceAsURL)
{
    const KTMountEntry entry(QStringLiteral("cifs"), "//alice@FS1/Projects/plans", "/mnt/p");
    ASSERT_TRUE(entry.sourceURL());
    EXPECT_EQ(entry.sourceURL()->host(), QStringLiteral("fs1"));
    EXPECT_EQ(entry.sourceURL()->lastPathComponent(), QStringLiteral("plans"));
    EXPECT_EQ(entry.sourceURL()->sharePath(), QStringLiteral("Projects/plans"));
}

TEST(KTMountEntry, SourceWithASpaceIsNoURL)
{
    const KTMountEntry entry(QStringLiteral("gvfs.smb-share"), "//fs1/my%20files", "/g/my%20files");
    EXPECT_EQ(entry.mountSource(), QStringLiteral("//fs1/my files"));
    EXPECT_FALSE(entry.sourceURL());
    EXPECT_EQ(entry.mountPoint(), QStringLiteral("/g/my%20files"));
}

TEST(KTMountEntry, LocalAndHostOnlySources)
{
    const KTMountEntry disk(QStringLiteral("ext4"), "/dev/vda", "/");
    ASSERT_TRUE(disk.sourceURL());
    EXPECT_FALSE(disk.sourceURL()->host());

    const KTMountEntry server(QStringLiteral("nfs"), "//fs2/", "/mnt/all");
    ASSERT_TRUE(server.sourceURL());
    EXPECT_EQ(server.sourceURL()->host(), QStringLiteral("fs2"));
    EXPECT_FALSE(server.sourceURL()->lastPathComponent());

    const KTMountEntry v6(QStringLiteral("nfs4"), "//[fd00::2]/srv", "/mnt/srv");
    ASSERT_TRUE(v6.sourceURL());
    EXPECT_EQ(v6.sourceURL()->host(), QStringLiteral("[fd00::2]"));
}

}
