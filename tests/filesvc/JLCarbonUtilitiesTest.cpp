#include "filesvc/JLCarbonUtilities.h"

#include "filesvc/MacRoman.h"
#include "filesvc/MountedVolumes.h"

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct PascalCase {
    QString text;
    bool fits;
    QByteArray bytes;
};

class PascalStrings : public testing::TestWithParam<PascalCase> { };

TEST_P(PascalStrings, FitOnlyIn255MacRomanBytes)
{
    const std::optional<QByteArray> pascal = JLCarbonUtilities::pascalString(GetParam().text);
    ASSERT_EQ(pascal.has_value(), GetParam().fits);
    if (!pascal)
        return;
    EXPECT_EQ(pascal->size(), 256);
    EXPECT_EQ(pascal->first(GetParam().bytes.size() + 1),
        char(GetParam().bytes.size()) + GetParam().bytes);
    EXPECT_EQ(JLCarbonUtilities::stringWithPascalString(*pascal), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(JLCarbonUtilities, PascalStrings,
    testing::Values(PascalCase {QString(), true, {}},
        PascalCase {QStringLiteral("Résumé – €"), true, QByteArray("R\x8Esum\x8E \xD0 \xDB")},
        PascalCase {QString(255, QLatin1Char('a')), true, QByteArray(255, 'a')},
        PascalCase {QString(256, QLatin1Char('a')), false, {}},
        PascalCase {QStringLiteral("日本"), false, {}}));

TEST(JLCarbonUtilities, PascalStringBuffersAndBrokenLengths)
{
    char small[4] = {};
    EXPECT_FALSE(JLCarbonUtilities::getPascalString(QStringLiteral("abcd"), small));
    EXPECT_TRUE(JLCarbonUtilities::getPascalString(QStringLiteral("abc"), small));
    EXPECT_EQ(QByteArray(small, 4),
        QByteArray("\x03"
                   "abc"));
    EXPECT_FALSE(JLCarbonUtilities::stringWithPascalString(QByteArray("\x05"
                                                                      "abc")));
    EXPECT_FALSE(JLCarbonUtilities::stringWithPascalString(QByteArray()));
    EXPECT_EQ(MacRoman::encodeLossy(QStringLiteral("a日b")), QByteArray("a?b"));
}

class FinderInfoFiles : public testing::Test {
protected:
    void SetUp() override
    {
        QFile file(m_file);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    quint16 flags() const
    {
        quint16 value = 0;
        EXPECT_TRUE(JLCarbonUtilities::finderInfoFlags(m_file, &value, nullptr, nullptr));
        return value;
    }
    QTemporaryDir m_root;
    QString m_file = m_root.filePath(QStringLiteral("item"));
};

TEST_F(FinderInfoFiles, FlagsUnderTheMaskChangeAndHasBeenInitedIsCleared)
{
    quint16 value = 1;
    quint32 type = 1;
    EXPECT_TRUE(JLCarbonUtilities::finderInfoFlags(m_file, &value, &type, nullptr));
    EXPECT_EQ(value, 0) << "no sidecar: all zero";
    EXPECT_EQ(type, 0u);
    ASSERT_TRUE(
        JLCarbonUtilities::setFinderInfoFlags(m_file, 0x4D03, 0xFFFF, 0x54455854, 0x74747874));
    ASSERT_TRUE(
        JLCarbonUtilities::setFinderInfoFlags(m_file, 0x8000, 0x8400, 0x66647270, 0x4D414353));
    EXPECT_EQ(flags(), 0xC803);
    quint32 creator = 0;
    ASSERT_TRUE(JLCarbonUtilities::finderInfoFlags(m_file, nullptr, &type, &creator));
    EXPECT_EQ(type, 0x66647270u);
    EXPECT_EQ(creator, 0x4D414353u);
    EXPECT_FALSE(JLCarbonUtilities::finderInfoFlags(
        m_root.filePath(QStringLiteral("missing")), &value, nullptr, nullptr));
    EXPECT_FALSE(JLCarbonUtilities::setFinderInfoFlags(
        m_root.filePath(QStringLiteral("missing")), 0, 0, 0, 0));
}

TEST_F(FinderInfoFiles, LocationIsTruncatedTowardZero)
{
    ASSERT_TRUE(JLCarbonUtilities::setFinderLocation(m_file, QPointF(10.9, -3.7)));
    EXPECT_EQ(JLCarbonUtilities::finderLocation(m_file), QPointF(10, -3));
    EXPECT_EQ(JLCarbonUtilities::finderLocation(QUrl::fromLocalFile(m_file)), QPointF(10, -3));
    EXPECT_EQ(
        JLCarbonUtilities::finderLocation(m_root.filePath(QStringLiteral("missing"))), QPointF());
}

TEST_F(FinderInfoFiles, EachFlagSetterTouchesOnlyItsFlagAndKeepsTypeAndCreator)
{
    using namespace JLCarbonUtilitiesFinderInfoFlags;
    ASSERT_TRUE(JLCarbonUtilities::setFinderInfoFlags(m_file, 0, 0, 0x41424344, 0x45464748));
    const struct {
        bool (*set)(const QString&, bool);
        bool (*get)(const QString&);
        quint16 bit;
    } flagsTable[] = {{setHasCustomIconFinderInfoFlag, hasCustomIconFinderInfoFlag, 0x0400},
        {setIsStationeryFinderInfoFlag, isStationeryFinderInfoFlag, 0x0800},
        {setHasNameLockedFinderInfoFlag, hasNameLockedFinderInfoFlag, 0x1000},
        {setHasBundleFinderInfoFlag, hasBundleFinderInfoFlag, 0x2000},
        {setIsInvisibleFinderInfoFlag, isInvisibleFinderInfoFlag, 0x4000},
        {setIsAliasFinderInfoFlag, isAliasFinderInfoFlag, 0x8000}};
    for (const auto& flag : flagsTable) {
        ASSERT_TRUE(flag.set(m_file, true));
        EXPECT_EQ(flags(), flag.bit);
        EXPECT_TRUE(flag.get(m_file));
        ASSERT_TRUE(flag.set(m_file, false));
        EXPECT_FALSE(flag.get(m_file));
    }
    ASSERT_TRUE(setIsStationeryFinderInfoFlag(m_file, true));
    EXPECT_TRUE(isStationeryFinderInfoFlag(m_file));
    EXPECT_FALSE(hasCustomIconFinderInfoFlag(m_file));
    EXPECT_FALSE(JLCarbonUtilitiesInfoFlags::hasCustomIcon(QUrl::fromLocalFile(m_file)));
    quint32 type = 0;
    ASSERT_TRUE(JLCarbonUtilities::finderInfoFlags(m_file, nullptr, &type, nullptr));
    EXPECT_EQ(type, 0x41424344u);
}

TEST_F(FinderInfoFiles, HFSStylePathsNameTheVolumeFirst)
{
    // The temporary folder lies on some volume; its HFS path starts with that volume's
    // name and converts back.
    const std::optional<QString> hfs = JLCarbonUtilities::fileSystemPathHFSStyle(m_file);
    ASSERT_TRUE(hfs);
    EXPECT_TRUE(hfs->endsWith(QStringLiteral(":item"))) << hfs->toStdString();
    EXPECT_EQ(JLCarbonUtilities::pathFromFileSystemPathHFSStyle(*hfs), m_file);
    EXPECT_EQ(JLCarbonUtilities::URLWithFileSystemPathHFSStyle(*hfs + QLatin1Char(':')),
        QUrl::fromLocalFile(m_file + QLatin1Char('/')));
    EXPECT_FALSE(JLCarbonUtilities::fileSystemPathHFSStyle(QStringLiteral("relative/path")));
    EXPECT_FALSE(JLCarbonUtilities::pathFromFileSystemPathHFSStyle(QStringLiteral(":relative")));
    EXPECT_FALSE(
        JLCarbonUtilities::pathFromFileSystemPathHFSStyle(QStringLiteral("No Such Volume:file")));
}

TEST_F(FinderInfoFiles, ResolvingWhatIsNoAliasGivesItBack)
{
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(m_file), m_file);
    const QString missing = m_root.filePath(QStringLiteral("missing"));
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(missing), missing);
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(QUrl::fromLocalFile(missing)), std::nullopt);
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(QUrl::fromLocalFile(m_file)),
        QUrl::fromLocalFile(m_file));
    EXPECT_EQ(JLCarbonUtilities::URLByDeletingLastPathComponent(QUrl::fromLocalFile(m_file)),
        QUrl::fromLocalFile(m_root.path() + QLatin1Char('/')));
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
    const QStringList gvfs {
        QStringLiteral("/run/user/1000/gvfs/smb-share:server=127.0.0.1,share=my%20files"),
        QStringLiteral("/run/user/1000/gvfs/afp-volume:host=mac,user=me,volume=Work"),
        QStringLiteral("/run/user/1000/gvfs/sftp:host=box")};
    const QList<MountedVolume> volumes =
        MountedVolumes::fromMountInfo(mountInfo, gvfs, QStringLiteral("host"));
    const std::optional<MountedVolume> volume =
        MountedVolumes::holding(volumes, QString::fromUtf8(GetParam().path));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->mountPoint, QString::fromUtf8(GetParam().mountPoint));
    EXPECT_EQ(volume->name, QString::fromUtf8(GetParam().name));
    EXPECT_EQ(volume->share.value_or(QString()), QString::fromUtf8(GetParam().share));
    EXPECT_EQ(volume->mountMethod, QString::fromUtf8(GetParam().method));
}

INSTANTIATE_TEST_SUITE_P(MountedVolumes, Volumes,
    testing::Values(VolumeCase {"/etc/passwd", "/", "host", "", ""},
        VolumeCase {"/mnt/projects/a.doc", "/mnt/projects", "Projects", "//fs1/Projects", "cifs"},
        VolumeCase {"/mnt/projectsX/a.doc", "/", "host", "", ""},
        VolumeCase {"/mnt/home dir/x", "/mnt/home dir", "home", "//nas/export/home", "nfs"},
        VolumeCase {"/run/user/1000/gvfs/smb-share:server=127.0.0.1,share=my%20files/a",
            "/run/user/1000/gvfs/smb-share:server=127.0.0.1,share=my%20files", "my files",
            "//127.0.0.1/my files", "smb"},
        VolumeCase {"/run/user/1000/gvfs/afp-volume:host=mac,user=me,volume=Work",
            "/run/user/1000/gvfs/afp-volume:host=mac,user=me,volume=Work", "Work", "//mac/Work",
            "afp"},
        VolumeCase {"/run/user/1000/gvfs/sftp:host=box/f", "/run/user/1000/gvfs/sftp:host=box",
            "sftp:host=box", "", ""}));

}
