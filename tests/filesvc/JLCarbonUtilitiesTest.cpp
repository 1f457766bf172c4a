#include "filesvc/JLCarbonUtilities.h"

#include "TestFolder.h"
#include "filesvc/FSRef.h"
#include "filesvc/MacRoman.h"
#include "filesvc/MountedVolumes.h"
#include "support/QtPrinters.h"

using namespace Qt::StringLiterals;

namespace {

struct PascalCase {
    QString text;
    std::optional<QByteArray> bytes; // none: it does not fit
};

class PascalStrings : public testing::TestWithParam<PascalCase> { };

TEST_P(PascalStrings, FitOnlyIn255MacRomanBytes)
{
    const std::optional<QByteArray> pascal = JLCarbonUtilities::pascalString(GetParam().text);
    ASSERT_EQ(pascal.has_value(), GetParam().bytes.has_value());
    if (!pascal)
        return;
    EXPECT_EQ(pascal->size(), 256);
    EXPECT_EQ(pascal->first(GetParam().bytes->size() + 1),
        char(GetParam().bytes->size()) + *GetParam().bytes);
    EXPECT_EQ(JLCarbonUtilities::stringWithPascalString(*pascal), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(JLCarbonUtilities, PascalStrings,
    testing::Values(PascalCase {QString(), QByteArray()},
        PascalCase {u"Résumé – €"_s, QByteArray("R\x8Esum\x8E \xD0 \xDB")},
        PascalCase {QString(255, u'a'), QByteArray(255, 'a')},
        PascalCase {QString(256, u'a'), std::nullopt}, PascalCase {u"日本"_s, std::nullopt}));

TEST(JLCarbonUtilities, PascalStringsKeepToTheirBuffersAndLengths)
{
    char small[4] = {};
    EXPECT_FALSE(JLCarbonUtilities::getPascalString(u"abcd"_s, small));
    EXPECT_TRUE(JLCarbonUtilities::getPascalString(u"abc"_s, small));
    EXPECT_EQ(QByteArray(small, 4), QByteArray("\3abc"));
    EXPECT_FALSE(JLCarbonUtilities::stringWithPascalString(QByteArray("\5abc")));
    EXPECT_FALSE(JLCarbonUtilities::stringWithPascalString(QByteArray()));
    EXPECT_EQ(MacRoman::encodeLossy(u"a日b"_s), QByteArray("a?b"));
}

class CarbonFiles : public TestFolder {
protected:
    QString m_file = write("item");
};

TEST_F(CarbonFiles, FinderFlagsChangeUnderTheirMaskAndKeepTypeAndCreator)
{
    quint16 flags = 1;
    quint32 type = 1, creator = 0;
    EXPECT_TRUE(JLCarbonUtilities::finderInfoFlags(m_file, &flags, &type, nullptr));
    EXPECT_EQ(flags, 0) << "no sidecar: all zero";
    EXPECT_EQ(type, 0u);
    ASSERT_TRUE(
        JLCarbonUtilities::setFinderInfoFlags(m_file, 0x4D03, 0xFFFF, 0x54455854, 0x74747874));
    ASSERT_TRUE(
        JLCarbonUtilities::setFinderInfoFlags(m_file, 0x8000, 0x8400, 0x66647270, 0x4D414353));
    ASSERT_TRUE(JLCarbonUtilitiesFinderInfoFlags::setIsStationeryFinderInfoFlag(m_file, true));
    ASSERT_TRUE(JLCarbonUtilities::finderInfoFlags(m_file, &flags, &type, &creator));
    EXPECT_EQ(flags, 0xC803) << "hasBeenInited (0x0100) is cleared";
    EXPECT_EQ(type, 0x66647270u);
    EXPECT_EQ(creator, 0x4D414353u);
    EXPECT_FALSE(JLCarbonUtilitiesFinderInfoFlags::hasCustomIconFinderInfoFlag(m_file));
    EXPECT_FALSE(JLCarbonUtilities::finderInfoFlags(path("missing"), &flags, nullptr, nullptr));
    EXPECT_FALSE(JLCarbonUtilities::setFinderInfoFlags(path("missing"), 0, 0, 0, 0));
    ASSERT_TRUE(JLCarbonUtilities::setFinderLocation(m_file, QPointF(10.9, -3.7)));
    EXPECT_EQ(JLCarbonUtilities::finderLocation(QUrl::fromLocalFile(m_file)), QPointF(10, -3));
    EXPECT_EQ(JLCarbonUtilities::finderLocation(path("missing")), QPointF());
}

TEST_F(CarbonFiles, HFSStylePathsNameTheVolumeFirst)
{
    const std::optional<QString> hfs = JLCarbonUtilities::fileSystemPathHFSStyle(m_file);
    ASSERT_TRUE(hfs);
    EXPECT_TRUE(hfs->endsWith(u":item"_s)) << hfs->toStdString();
    EXPECT_EQ(JLCarbonUtilities::pathFromFileSystemPathHFSStyle(*hfs), m_file);
    EXPECT_EQ(JLCarbonUtilities::URLWithFileSystemPathHFSStyle(*hfs + u':'),
        QUrl::fromLocalFile(m_file + u'/'));
    EXPECT_FALSE(JLCarbonUtilities::fileSystemPathHFSStyle(u"relative/path"_s));
    for (const char* hfsPath : {":relative", "No Such Volume:file"})
        EXPECT_FALSE(JLCarbonUtilities::pathFromFileSystemPathHFSStyle(QString::fromUtf8(hfsPath)));
    // What is no alias file resolves to itself.
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(m_file), m_file);
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(path("missing")), path("missing"));
    EXPECT_EQ(
        JLCarbonUtilities::resolveAliasFile(QUrl::fromLocalFile(path("missing"))), std::nullopt);
}

TEST_F(CarbonFiles, AReferenceNamesItsItemOnlyWhileThePathHoldsIt)
{
    EXPECT_FALSE(FSRef::fromPath(path("missing")));
    EXPECT_FALSE(FSRef::fromPath(path("missing/../item"))) << "as the kernel resolves paths";
    EXPECT_EQ(FSRef::fromPath(path("./item"))->path(), m_file);
    ASSERT_TRUE(QFile::link(m_file, path("link")));
    EXPECT_EQ(FSRef::fromPath(path("link"))->inode(), FSRef::fromPath(m_file)->inode());
    const std::optional<FSRef> ref = FSRef::fromPath(m_file);
    ASSERT_TRUE(ref);
    EXPECT_EQ(JLCarbonUtilities::stringWithFSRef(*ref), m_file);
    // The item moved away and another took its name: the path names another item now.
    ASSERT_TRUE(QFile::rename(m_file, path("moved")));
    EXPECT_EQ(JLCarbonUtilities::stringWithFSRef(*ref), std::nullopt);
    writeFile(m_file);
    EXPECT_EQ(JLCarbonUtilities::stringWithFSRef(*ref), std::nullopt);
    ASSERT_TRUE(QFile::remove(m_file) && QFile::rename(path("moved"), m_file));
    EXPECT_EQ(JLCarbonUtilities::stringWithFSRef(*ref), m_file);
}

struct VolumeCase {
    const char* path;
    const char* mountPoint;
    const char* name;
    const char* share;
    const char* method;
};

class Volumes : public testing::TestWithParam<VolumeCase> { };

TEST_P(Volumes, AreNamedAsAMacNamesThem)
{
    const QByteArray mountInfo =
        "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "30 22 0:40 / /mnt/projects rw - cifs //fs1/Projects rw\n"
        "31 22 0:41 / /mnt/home\\040dir rw - nfs4 nas:/export/home rw\n"
        "40 22 0:50 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n";
    const QStringList gvfs {u"/run/user/1000/gvfs/smb-share:server=127.0.0.1,share=my%20files"_s,
        u"/run/user/1000/gvfs/afp-volume:host=mac,user=me,volume=Work"_s,
        u"/run/user/1000/gvfs/sftp:host=box"_s};
    const std::optional<MountedVolume> volume =
        MountedVolumes::holding(MountedVolumes::fromMountInfo(mountInfo, gvfs, u"host"_s),
            QString::fromUtf8(GetParam().path));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->mountPoint, QString::fromUtf8(GetParam().mountPoint));
    EXPECT_EQ(volume->name, QString::fromUtf8(GetParam().name));
    EXPECT_EQ(volume->share.value_or(QString()), QString::fromUtf8(GetParam().share));
    EXPECT_EQ(volume->mountMethod, QString::fromUtf8(GetParam().method));
}

#define GVFS "/run/user/1000/gvfs/"
INSTANTIATE_TEST_SUITE_P(MountedVolumes, Volumes,
    testing::Values(VolumeCase {"/etc/passwd", "/", "host", "", ""},
        VolumeCase {"/mnt/projects/a.doc", "/mnt/projects", "Projects", "//fs1/Projects", "cifs"},
        VolumeCase {"/mnt/projectsX/a.doc", "/", "host", "", ""},
        VolumeCase {"/mnt/home dir/x", "/mnt/home dir", "home", "//nas/export/home", "nfs"},
        VolumeCase {GVFS "smb-share:server=127.0.0.1,share=my%20files/a",
            GVFS "smb-share:server=127.0.0.1,share=my%20files", "my files", "//127.0.0.1/my files",
            "smb"},
        VolumeCase {GVFS "afp-volume:host=mac,user=me,volume=Work",
            GVFS "afp-volume:host=mac,user=me,volume=Work", "Work", "//mac/Work", "afp"},
        VolumeCase {GVFS "sftp:host=box/f", GVFS "sftp:host=box", "sftp:host=box", "", ""}));
#undef GVFS

}
