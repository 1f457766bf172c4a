#include "filesvc/JLCarbonUtilities.h"

#include "TestFolder.h"
#include "filesvc/AppleDouble.h"
#include "filesvc/FSRef.h"
#include "filesvc/JLResourceFork.h"
#include "filesvc/MacRoman.h"
#include "filesvc/MountedVolumes.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"

using namespace Qt::StringLiterals;

namespace {

TEST(JLCarbonUtilities, PascalStringsFitOnlyIn255MacRomanBytesAndKeepToTheirBuffers)
{
    const std::pair<QString, std::optional<QByteArray>> cases[] = {{QString(), QByteArray()},
        {u"Résumé – €"_s, QByteArray("R\x8Esum\x8E \xD0 \xDB")},
        {QString(255, u'a'), QByteArray(255, 'a')}, {QString(256, u'a'), std::nullopt},
        {u"日本"_s, std::nullopt}}; // none: it does not fit
    for (const auto& [text, bytes] : cases) {
        SCOPED_TRACE(text.left(20).toStdString());
        const std::optional<QByteArray> pascal = JLCarbonUtilities::pascalString(text);
        ASSERT_EQ(pascal.has_value(), bytes.has_value());
        if (!pascal)
            continue;
        EXPECT_EQ(pascal->size(), 256);
        EXPECT_EQ(pascal->first(bytes->size() + 1), char(bytes->size()) + *bytes);
        EXPECT_EQ(JLCarbonUtilities::stringWithPascalString(*pascal), text);
    }
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

TEST(MountedVolumes, AreNamedAsAMacNamesThem)
{
    const QByteArray mountInfo =
        "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "30 22 0:40 / /mnt/projects rw - cifs //fs1/Projects rw\n"
        "31 22 0:41 / /mnt/home\\040dir rw - nfs4 nas:/export/home rw\n"
        "40 22 0:50 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n";
    const QStringList gvfs {u"/run/user/1000/gvfs/smb-share:server=127.0.0.1,share=my%20files"_s,
        u"/run/user/1000/gvfs/afp-volume:host=mac,user=me,volume=Work"_s,
        u"/run/user/1000/gvfs/sftp:host=box"_s};
    const QList<MountedVolume> volumes = MountedVolumes::fromMountInfo(mountInfo, gvfs, u"host"_s);
#define GVFS "/run/user/1000/gvfs/"
    // A path, and its volume's mount point, name, share and mount method.
    const char* const cases[][5] = {{"/etc/passwd", "/", "host", "", ""},
        {"/mnt/projects/a.doc", "/mnt/projects", "Projects", "//fs1/Projects", "cifs"},
        {"/mnt/projectsX/a.doc", "/", "host", "", ""},
        {"/mnt/home dir/x", "/mnt/home dir", "home", "//nas/export/home", "nfs"},
        {GVFS "smb-share:server=127.0.0.1,share=my%20files/a",
            GVFS "smb-share:server=127.0.0.1,share=my%20files", "my files", "//127.0.0.1/my files",
            "smb"},
        {GVFS "afp-volume:host=mac,user=me,volume=Work",
            GVFS "afp-volume:host=mac,user=me,volume=Work", "Work", "//mac/Work", "afp"},
        {GVFS "sftp:host=box/f", GVFS "sftp:host=box", "sftp:host=box", "", ""}};
#undef GVFS
    for (const auto& [path, mountPoint, name, share, method] : cases) {
        SCOPED_TRACE(path);
        const std::optional<MountedVolume> volume =
            MountedVolumes::holding(volumes, QString::fromUtf8(path));
        ASSERT_TRUE(volume);
        EXPECT_EQ(volume->mountPoint, QString::fromUtf8(mountPoint));
        EXPECT_EQ(volume->name, QString::fromUtf8(name));
        EXPECT_EQ(volume->share.value_or(QString()), QString::fromUtf8(share));
        EXPECT_EQ(volume->mountMethod, QString::fromUtf8(method));
    }
}

constexpr quint32 kText = 0x54455854; // 'TEXT'
constexpr quint32 kString = 0x53545220; // 'STR '

class ResourceForkFiles : public TestFolder {
protected:
    QByteArray sidecarBytes(const QString& name) const { return read(u"._"_s + name); }
    // A file whose sidecar holds the fork bytes given.
    void writeWithFork(const QString& name, const QByteArray& fork) const
    {
        AppleDoubleFile sidecar;
        sidecar.resourceFork = fork;
        write(name, "data fork");
        write(u"._"_s + name, AppleDouble::serialize(sidecar));
    }
    std::unique_ptr<JLResourceFork> openForWriting(const QString& name) const
    {
        return JLResourceFork::initForWritingAtPath(path(name));
    }
};

TEST_F(ResourceForkFiles, ChangesReachTheSidecarAtCloseAndReadBack)
{
    auto fork = openForWriting(u"new"_s);
    ASSERT_TRUE(fork);
    EXPECT_TRUE(QFile::exists(path(u"new"_s)));
    EXPECT_TRUE(fork->removeType(kText, 1)) << "removing a missing resource succeeds";
    EXPECT_TRUE(fork->addData("zero", kText, 0, u"Zéro"_s));
    EXPECT_TRUE(fork->addData("one", kText, 1, u"first"_s));
    EXPECT_TRUE(fork->addData("two", kText, 1, u"second"_s));
    EXPECT_TRUE(fork->addData("three", kString, std::nullopt));
    ASSERT_TRUE(fork->setAttributeFlags(0xFF, kText, 1));
    EXPECT_FALSE(fork->setAttributeFlags(0x08, kText, 9));
    const QByteArray before = sidecarBytes(u"new"_s);
    ASSERT_TRUE(fork->closeFile());
    EXPECT_EQ(fork->fileReference(), 0);
    EXPECT_TRUE(fork->closeFile()) << "a second close does nothing";
    EXPECT_NE(sidecarBytes(u"new"_s), before);
    const auto again = JLResourceFork::initForReadingAtPath(path(u"new"_s));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->dataForType(kText, qint16(1)), QByteArray("two"));
    EXPECT_EQ(again->getAttributeFlags(kText, 1), quint16(0xDD))
        << "changed and purgeable stay clear";
    EXPECT_EQ(again->dataForType(kString, qint16(1)), QByteArray("three")) << "the first free id";
    EXPECT_EQ(again->nameOfResourceType(kString, 1), QString());
    EXPECT_EQ(again->nameOfResourceType(kText, 9), std::nullopt);
    EXPECT_EQ(again->getId(kText, u"second"_s), qint16(1));
    EXPECT_EQ(again->dataForType(kText, u"Zéro"_s), QByteArray("zero"));
    EXPECT_EQ(again->dataForType(kText, std::optional<QString>()), QByteArray("zero"));
    EXPECT_EQ(again->everyResourceType(), (QList<quint32> {kText, kString}));
    EXPECT_FALSE(again->addData("no", kText, 2, std::nullopt)) << "opened for reading";
    (void)again->closeFile();
}

TEST_F(ResourceForkFiles, OpeningFailsWhereThereIsNoForkToOpen)
{
    write(u"plain"_s, "no sidecar");
    writeWithFork(u"empty-entry"_s, QByteArray());
    for (const char* name : {"missing", "plain", "empty-entry"})
        EXPECT_FALSE(JLResourceFork::initForReadingAtPath(path(name))) << name;
    EXPECT_FALSE(openForWriting(u"plain"_s)) << "an existing file without a map";
    EXPECT_FALSE(openForWriting(u"no-folder/file"_s));
    EXPECT_FALSE(QFile::exists(path(u"._plain"_s)));
    // A sidecar link is followed only inside its folder.
    QTemporaryDir elsewhere;
    const QByteArray emptyFork = *ResourceForkFormat::serialize(ResourceFork());
    writeWithFork(u"real"_s, emptyFork);
    const QString outside = writeFile(elsewhere.filePath(u"secret"_s), read(u"._real"_s));
    ASSERT_TRUE(QFile::link(outside, path(u"._out"_s)));
    ASSERT_TRUE(QFile::link(u"._real"_s, path(u"._in"_s)));
    write(u"out"_s);
    write(u"in"_s);
    const Result<std::unique_ptr<JLResourceFork>> refused =
        JLResourceFork::open(JLResourceFork::kReadPermission, path(u"out"_s));
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.reason().endsWith(u"is a link out of its folder"_s));
    EXPECT_TRUE(JLResourceFork::initForReadingAtPath(path(u"in"_s)));
}

TEST_F(ResourceForkFiles, NeverOverwritesASidecarThatIsNotOurs)
{
    writeWithFork(u"broken"_s, "not a resource map");
    AppleDoubleFile withComment;
    withComment.filler = "Netatalk        ";
    withComment.resourceFork = *ResourceForkFormat::serialize(ResourceFork());
    QByteArray foreign = AppleDouble::serialize(withComment);
    foreign[41] = 4; // the fork entry becomes a comment entry
    write(u"foreign"_s, "data");
    write(u"._foreign"_s, foreign);
    write(u"garbage"_s, "data");
    write(u"._garbage"_s, "no AppleDouble file");
    for (const char* name : {"broken", "foreign", "garbage"}) {
        const QString file = QString::fromUtf8(name);
        const QByteArray before = sidecarBytes(file);
        EXPECT_FALSE(openForWriting(file)) << name;
        const bool finderInfoTaken =
            JLCarbonUtilities::setFinderInfoFlags(path(file), 0x8000, 0x8000, 1, 2);
        // A fork that is no resource map keeps its bytes; other sidecars stay untouched.
        if (file == QLatin1String("broken")) {
            EXPECT_TRUE(finderInfoTaken);
            EXPECT_EQ(AppleDouble::parse(sidecarBytes(file))->resourceFork, "not a resource map");
        } else {
            EXPECT_FALSE(finderInfoTaken) << name;
            EXPECT_EQ(sidecarBytes(file), before) << name;
        }
    }
}

TEST_F(ResourceForkFiles, ClosingReplacesTheSidecarWholeAndKeepsFinderInformation)
{
    ASSERT_TRUE(openForWriting(u"both"_s)->closeFile());
    QFile old(path(u"._both"_s));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray oldBytes = sidecarBytes(u"both"_s);
    auto fork = openForWriting(u"both"_s);
    ASSERT_TRUE(fork && fork->addData(QByteArray(5000, 'x'), kText, 1, std::nullopt));
    ASSERT_TRUE(JLCarbonUtilities::setFinderInfoFlags(path(u"both"_s), 0x8000, 0x8000, 7, 9));
    ASSERT_TRUE(fork->closeFile());
    // A new file took the old one's name: whoever reads the old one reads it whole.
    EXPECT_EQ(old.readAll(), oldBytes);
    EXPECT_EQ(m_root.entryList(QDir::Files | QDir::Hidden), (QStringList {u"._both"_s, u"both"_s}));
    quint32 type = 0;
    ASSERT_TRUE(JLCarbonUtilities::finderInfoFlags(path(u"both"_s), nullptr, &type, nullptr));
    EXPECT_EQ(type, 7u);
    EXPECT_EQ(ResourceForkData::dataWithResourceForkContentsOfFile(path(u"both"_s), kText, 1),
        QByteArray(5000, 'x'));
}

TEST_F(ResourceForkFiles, WholeForkIsWrittenOnlyWhenItReadsAsOneAndAForgottenCloseStillWrites)
{
    ResourceFork other;
    other.put(Resource {kText, 4, std::nullopt, 0, "four", 0});
    const LogCapture log;
    {
        auto fork = openForWriting(u"whole"_s);
        ASSERT_TRUE(fork);
        EXPECT_FALSE(fork->writeEntireResourceFork(QByteArray()));
        EXPECT_FALSE(fork->writeEntireResourceFork("garbage that is no fork"));
        ASSERT_TRUE(fork->writeEntireResourceFork(*ResourceForkFormat::serialize(other)));
        EXPECT_EQ(fork->dataForType(kText, qint16(4)), QByteArray("four"));
        EXPECT_EQ(fork->dataForEntireResourceFork(), ResourceForkFormat::serialize(other).value());
        auto closed = openForWriting(u"closed"_s);
        ASSERT_TRUE(closed && closed->closeFile());
    }
    EXPECT_EQ(ResourceForkData::dataWithResourceForkContentsOfFile(path(u"whole"_s), kText, 4),
        QByteArray("four"));
}

}
