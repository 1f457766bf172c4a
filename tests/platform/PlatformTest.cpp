#include "platform/ControlEscapes.h"
#include "platform/FileNames.h"
#include "platform/LocalFileUri.h"
#include "platform/MountInfo.h"

#include <QList>

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

#include <random>

namespace {

// Names as they come from old shares, archives and hostile hands: every byte must come
// back, also through the file: URI that carries a name over the bus or in a drop, and
// valid UTF-8 must decode as UTF-8 does.
TEST(FileNames, EveryNameComesBackByteForByte)
{
    const QList<QByteArray> names = {"", "plain.lnk", "caf\xe9.lnk", "\xc3\xa9t\xe9",
        "\xc0\xaf overlong", "\xed\xa0\x80 surrogate", "\xf4\x90\x80\x80 beyond", "cut \xe2\x82",
        "\x80 stray", "\xff\xfe", "\xf0\x9f\x98\x80 emoji", "\xf0\x90\x82\x80\xe9 pair then byte"};
    for (const QByteArray& name : names) {
        SCOPED_TRACE(name.toHex().toStdString());
        const QString decoded = FileNames::decode(name);
        EXPECT_EQ(FileNames::encode(decoded), name);
        const QString path = u'/' + decoded;
        EXPECT_EQ(LocalFileUri::toPath(LocalFileUri::fromPath(path)), path);
        if (QByteArrayView(name).isValidUtf8()) {
            EXPECT_EQ(decoded, QString::fromUtf8(name));
        }
    }
    // Random bytes, most of them invalid UTF-8 somewhere.
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        QByteArray name(qsizetype(random() % 9), '\0');
        for (char& byte : name)
            byte = char(random() % 256);
        ASSERT_EQ(FileNames::encode(FileNames::decode(name)), name) << name.toHex().toStdString();
    }
    // A terminal shows a kept byte escaped, and leaves a real character whose UTF-16 form
    // ends in the same range alone.
    EXPECT_EQ(ControlEscapes::escapeControls(FileNames::decode("caf\xe9.lnk")),
        QStringLiteral("caf\\udce9.lnk"));
    const QString pair = FileNames::decode("\xf0\x90\x82\x80");
    EXPECT_EQ(ControlEscapes::escapeControls(pair), pair);
    EXPECT_EQ(LocalFileUri::fromPath(FileNames::decode("/tmp/caf\xe9 #1.lnk")),
        QStringLiteral("file:///tmp/caf%E9%20%231.lnk"));
}

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
    // Escapes cut short are read as text.
    const std::pair<const char*, const char*> fields[] = {{"a\\04", "a\\04"},
        {"a\\9999", "a\\9999"}, {"\\011\\012\\134", "\t\n\\"}, {"\\400", "\\400"}};
    for (const auto& [escaped, text] : fields)
        EXPECT_EQ(MountInfo::unescapeField(escaped), QByteArray(text)) << escaped;
}

}
