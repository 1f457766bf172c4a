#include "support/QtPrinters.h"
#include "volumes/KTCifsServerMount.h"
#include "volumes/KTMountInfo.h"
#include "volumes/KTMountNames.h"
#include "volumes/KTMountTable.h"
#include "volumes/MountURL.h"

#include <gtest/gtest.h>

namespace {

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

TEST(MountInfo, GivesTypeShareFormSourceAndMountPoint)
{
    const char* const cases[][4] = {
        {"97 27 0:50 / /mnt/p rw,relatime shared:55 - cifs //fs1/Projects rw,username=alice",
            "cifs", "//fs1/Projects", "/mnt/p"},
        {"97 27 0:50 / /mnt/p rw - cifs \\134\\134fs1\\134Projects rw", "cifs", "//fs1/Projects",
            "/mnt/p"},
        {"97 27 0:50 / /mnt/p rw - smb3 //fs1/Projects rw", "smb3", "//fs1/Projects", "/mnt/p"},
        {"98 27 0:51 / /mnt/h rw - nfs fs2:/export/home rw,addr=10.0.0.2", "nfs",
            "//fs2/export/home", "/mnt/h"},
        {"98 27 0:51 / /mnt/s rw master:3 shared:7 - nfs4 [fd00::2]:/srv rw", "nfs4",
            "//[fd00::2]/srv", "/mnt/s"},
        {"98 27 0:51 / /mnt/a rw - nfs fs2:/ rw", "nfs", "//fs2/", "/mnt/a"},
        {"98 27 0:51 / /mnt/x rw - nfs fs2 rw", "nfs", "fs2", "/mnt/x"},
        {"99 27 0:52 / /mnt/My\\040Files rw - cifs //fs1/My\\040Files rw", "cifs", "//fs1/My Files",
            "/mnt/My Files"},
        {"69 46 0:41 / /run/user/0/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw", "fuse.gvfsd-fuse",
            "gvfsd-fuse", "/run/user/0/gvfs"}};
    for (const auto& [line, type, source, mountPoint] : cases) {
        SCOPED_TRACE(line);
        const QList<KTMountEntry> entries = KTMountInfo::parse(line);
        ASSERT_EQ(entries.size(), 1);
        EXPECT_EQ(entries[0].fileSystemType(), text(type));
        EXPECT_EQ(entries[0].rawMountSource(), QByteArray(source));
        EXPECT_EQ(entries[0].rawMountPoint(), QByteArray(mountPoint));
    }
}

TEST(MountInfo, SkipsLinesWithoutTheFormatAndPutsGvfsSharesLast)
{
    const KTMountTable table =
        KTMountTable::fromMountInfo("27 1 254:0 / / rw - ext4 /dev/vda rw\ngarbage\n"
                                    "28 27 0:1 / /no/separator rw shared:1 ext4 /dev/x rw\n"
                                    "29 27 0:2 / relative rw - tmpfs tmpfs rw\n"
                                    "30 27 0:3 / /cut rw -\n\n"
                                    "31 27 0:4 / /mnt/p rw - cifs //fs1/Projects rw",
            {KTMountEntry(QStringLiteral("gvfs"), "//fs1/x", "/run/gvfs/x")});
    QStringList mountPoints;
    for (const KTMountEntry& volume : table.volumes())
        mountPoints << volume.mountPoint();
    EXPECT_EQ(mountPoints.join(u' '), QStringLiteral("/ /mnt/p /run/gvfs/x"));
}

// Sources are decoded to give host and share; mount points keep escapes, part of a folder name.
TEST(MountEntry, DecodesTheSourceAndReadsItAsServerAndPath)
{
    // Source, decoded, host (null: none), share path (null: no URL).
    const char* const cases[][4] = {
        {"//alice@FS1/Projects/plans", "//alice@FS1/Projects/plans", "fs1", "Projects/plans"},
        {"//fs1/My%20Files", "//fs1/My Files", "fs1", "My Files"},
        {"//fs1/Donn%C3%A9es", "//fs1/Données", "fs1", "Données"},
        {"//fs1/a#b?c", "//fs1/a#b?c", "fs1", "a#b?c"},
        {"//fs1/a%FFb", "//fs1/a%FFb", "fs1", "a%FFb"},
        {"//bob@[fd00::2]:2049/srv", "//bob@[fd00::2]:2049/srv", "[fd00::2]", "srv"},
        {"//fs2/", "//fs2/", "fs2", ""}, {"/dev/vda", "/dev/vda", nullptr, "dev/vda"},
        {"//", "//", nullptr, nullptr}};
    for (const auto& [source, decoded, host, sharePath] : cases) {
        SCOPED_TRACE(source);
        const KTMountEntry entry(QStringLiteral("cifs"), source, "/g/my%20files");
        EXPECT_EQ(entry.mountSource(), text(decoded));
        EXPECT_EQ(entry.mountPoint(), QStringLiteral("/g/my%20files"));
        ASSERT_EQ(entry.sourceURL().has_value(), sharePath != nullptr);
        if (!sharePath)
            continue;
        EXPECT_EQ(entry.sourceURL()->host(), host ? std::optional(text(host)) : std::nullopt);
        EXPECT_EQ(entry.sourceURL()->sharePath(), text(sharePath));
    }
    EXPECT_EQ(KTMountNames::decode(QByteArrayView("//fs1/a\0junk", 12)), QStringLiteral("//fs1/a"));
}

TEST(MountTable, LongestMountPointAboveThePathWinsAndOfOnePointTheLastMounted)
{
    const auto volume = [](const char* source, const char* mountPoint) {
        return KTMountEntry(QStringLiteral("cifs"), source, mountPoint);
    };
    const KTMountTable table({volume("/dev/vda", "/"), volume("//fs1/Old", "/mnt/p"),
        volume("//fs1/New", "/mnt/p"), volume("tmpfs", "/mnt")});
    const char* const cases[][2] = {{"/mnt/p/a.doc", "//fs1/New"}, {"/mnt/p", "//fs1/New"},
        {"/mnt/pX/a", "tmpfs"}, {"/mnt", "tmpfs"}, {"/home/a", "/dev/vda"}, {"/", "/dev/vda"}};
    for (const auto& [path, source] : cases)
        EXPECT_EQ(table.volumeForPath(text(path))->mountSource(), text(source)) << path;
    EXPECT_EQ(KTMountTable().volumeForPath(u"/"), nullptr);
    const KTMountTable gvfs =
        KTMountTable::fromMountInfo("69 27 0:41 / /run/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n",
            {volume("//fs1/projects", "/run/gvfs/smb-share:server=fs1,share=projects")});
    EXPECT_EQ(gvfs.volumeForPath(u"/run/gvfs/smb-share:server=fs1,share=projects/a")->mountSource(),
        QStringLiteral("//fs1/projects"));
    EXPECT_EQ(gvfs.volumeForPath(u"/run/gvfs/smb-share:server=fs1,share=gone/a"), nullptr);
}

// Names reach mount.cifs's option list and GVfs's GMountSpec: syntax there must not pass.
TEST(MountURL, EncodesTheShareAndRefusesNamesThatHoldSyntax)
{
    const char* const accepted[][2] = {{"//fs1/Projects", "smb://fs1/Projects"},
        {"//FS1/My Files/a b", "smb://FS1/My%20Files/a%20b"},
        {"//fs1/Données", "smb://fs1/Donn%C3%A9es"}, {"//fs1/a#b%20", "smb://fs1/a%23b%2520"},
        {"//fs1/s/a?b@c", "smb://fs1/s/a%3Fb%40c"},
        {"//bücher.example/s", "smb://xn--bcher-kva.example/s"},
        {"//[fd00::2]/s", "smb://[fd00::2]/s"},
        {"//127.0.0.1/tmp/e x/nfs", "smb://127.0.0.1/tmp/e%20x/nfs"}};
    for (const auto& [share, expected] : accepted) {
        const Result<QString> url = MountURL::forShare(text(share), QStringLiteral("smb"));
        EXPECT_EQ(url ? *url : url.reason(), text(expected)) << share;
    }
    for (const char* share : {"//127.0.0.1/s,ip=192.0.2.7,vers=1.0", "//127.0.0.1,ip=192.0.2.7/s",
             "//fs1/s/dir,vers=1.0", "//fs1/s=x", "//fs1/s\"x", "//fs1/a\\b", "//fs1/s;x",
             "//fs1/s:x", "//fs1/s\nx", "//fs1/s/\x1b]0;x\x07", "//fs1/s\u0085x", "//fs1/s\x7f",
             "//user@fs1/s", "//fs1:445/s", "//fs 1/s", "//fs1%2C/s", "//[fd00::2/s", "///s",
             "fs1/s"}) {
        const Result<QString> url = MountURL::forShare(text(share), QStringLiteral("smb"));
        EXPECT_FALSE(url) << share << " became " << (url ? *url : QString()).toStdString();
    }
    const Result<QString> refused =
        MountURL::forShare(text("//fs1/a,b\x1b"), QStringLiteral("cifs"));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.reason(),
        QStringLiteral("//fs1/a,b\\x1b cannot be mounted: the share name holds \",\" (U+002C)"));
}

TEST(CifsFstab, FindsTheLineThatLetsUsersMountTheShare)
{
    // An fstab and its user mount point of //fs1/Projects (null: none).
    const char* const cases[][2] = {{"//fs1/Projects /mnt/p cifs user,noauto 0 0\n", "/mnt/p"},
        {"//FS1/projects\t/mnt/p  cifs  noauto,users 0 0\n", "/mnt/p"},
        {"\\\\fs1\\Projects\\ /mnt/p smb3 user 0 0\n", "/mnt/p"},
        {"//fs1/Projects /mnt/My\\040P cifs user 0 0\n", "/mnt/My P"},
        {"//fs1/Projects /mnt/p cifs noauto,username=alice 0 0\n", nullptr},
        {"//fs1/Other /mnt/o cifs user 0 0\n", nullptr},
        {"//fs1/Projects /mnt/p nfs user 0 0\n", nullptr},
        {"#//fs1/Projects /mnt/p cifs user 0 0\n", nullptr}, {"//fs1/Projects /mnt/p\n", nullptr}};
    for (const auto& [fstab, expected] : cases)
        EXPECT_EQ(KTCifsServerMount::userMountPointInFstab(fstab, QStringLiteral("//fs1/Projects")),
            expected ? std::optional(text(expected)) : std::nullopt)
            << fstab;
}

}
