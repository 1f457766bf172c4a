#include "TestFolder.h"
#include "filesvc/AliasRecordFormat.h"
#include "filesvc/AppleDouble.h"
#include "filesvc/JLAlias.h"
#include "filesvc/ResourceForkFormat.h"
#include "support/Corpus.h"
#include "support/QtPrinters.h"

#include <QtEndian>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray corpusFile(const char* folder, const char* name)
{
    return readFile(Corpus::path(u"filesvc/"_s + QLatin1String(folder) + QString::fromUtf8(name)));
}

// One line a resource: "type id name size".
QStringList summary(const ResourceFork& fork)
{
    QStringList lines;
    for (const Resource& resource : fork.resources) {
        QByteArray type(4, '\0');
        qToBigEndian(resource.type, type.data());
        lines.append(u"%1 %2 %3 %4"_s.arg(QString::fromLatin1(type))
                         .arg(resource.id)
                         .arg(QString::fromLatin1(resource.name.value_or("-")))
                         .arg(resource.data.size()));
    }
    return lines;
}

TEST(ResourceForkFormat, CorpusForksReadExactlyAndWriteBackByteForByte)
{
    KESTROVA_REQUIRE_CORPUS();
    const std::pair<const char*, QStringList> forks[] = {
        {"ClassicBox_AppAlias.rsrcfork.dat", {u"alis 0 app alias 202"_s}},
        {"nuxeo-drive_nuxeo_folder_mac.rsrc", {u"icns -16455 - 188173"_s}},
        {"python-rsrcfork_testfile.rsrc",
            {u"STR  128 - 39"_s, u"STR  129 The Name 40"_s, u"STR  130 - 45"_s,
                u"STR  131 The Name with Attributes 42"_s}},
        {"python-rsrcfork_unicode.textClipping.rsrc",
            {u"utxt 256 - 74"_s, u"utf8 256 - 45"_s, u"TEXT 256 - 37"_s, u"drag 128 - 64"_s}},
        {"python-rsrcfork_empty.rsrc", {}}};
    for (const auto& [file, resources] : forks) {
        SCOPED_TRACE(file);
        const QByteArray bytes = corpusFile("resource_forks/", file);
        const Result<ResourceFork> fork = ResourceForkFormat::parse(bytes);
        ASSERT_TRUE(fork) << fork.reason().toStdString();
        EXPECT_EQ(summary(*fork), resources);
        EXPECT_EQ(ResourceForkFormat::serialize(*fork).value(), bytes);
    }
}

enum Format { Fork, Sidecar, Record };

// `value` written big-endian in `width` bytes at `at`, or (width 0) the input resized to `at`.
struct Malformed {
    const char* name;
    Format format;
    qsizetype at;
    quint32 value;
    int width;
    const char* reason;
};

template<typename T> QString reasonOf(const Result<T>& result)
{
    return result ? u"accepted"_s : result.reason();
}

// Small, well-formed inputs of each format, for the rows to break.
QByteArray sample(Format format)
{
    if (format == Fork) {
        ResourceFork fork;
        fork.put(Resource {0x54455354, 1, QByteArray("n"), 0, QByteArray("data"), 0});
        fork.put(Resource {0x54455354, 2, std::nullopt, 0, QByteArray(), 0});
        return *ResourceForkFormat::serialize(fork);
    }
    if (format == Sidecar) {
        AppleDoubleFile file;
        file.filler = "Netatalk        ";
        file.resourceFork = "fork";
        return AppleDouble::serialize(file);
    }
    AliasRecord record;
    record.setTag(AliasRecord::PosixPath, "/a");
    return *AliasRecordFormat::serialize(record);
}

QString reasonFor(const Malformed& row)
{
    QByteArray bytes = sample(row.format);
    if (row.width == 0)
        bytes.resize(row.at);
    else if (row.width == 1)
        bytes[row.at] = char(row.value);
    else if (row.width == 2)
        qToBigEndian(quint16(row.value), bytes.data() + row.at);
    else
        qToBigEndian(row.value, bytes.data() + row.at);
    return row.format == Fork   ? reasonOf(ResourceForkFormat::parse(bytes))
        : row.format == Sidecar ? reasonOf(AppleDouble::parse(bytes))
                                : reasonOf(AliasRecordFormat::parse(bytes));
}

// The fork: data at 256 (12 bytes), the map at 268 with the type entry at +30, the
// references at +38 and +50 (id, name offset, attributes, data offset), names at +62. The
// sidecar: entries at 26 (Finder info 9 at 50, 32 bytes) and 38 (fork 2 at 82). The
// record: 150 bytes of fixed part, then the tags.
constexpr qsizetype map = 268;
const Malformed malformed[] = {
    {"CutFork", Fork, 10, 0, 0, "the header is cut short"},
    {"MapPastEnd", Fork, 12, 0xFFFFFFF0, 4, "the data or the map lies outside the fork"},
    {"DataOverflow", Fork, 0, 0xFFFFFFFF, 4, "the data or the map lies outside the fork"},
    {"TinyMap", Fork, 12, 20, 4, "the map is too short"},
    {"TypeListOut", Fork, map + 24, 0xFFF0, 2, "the type or name list lies outside the map"},
    {"ManyReferences", Fork, map + 34, 0x7FFF, 2, "more resources than the map can hold"},
    {"ReferenceOut", Fork, map + 36, 0x7FF0, 2, "a reference lies outside the map"},
    {"NameOut", Fork, map + 40, 0x0100, 2, "a name lies outside the map"},
    {"DataLength", Fork, 256, 0x7FFFFFFF, 4, "a resource's data runs past the data"},
    // Data read twice would let a small fork claim many times its size.
    {"SharedData", Fork, map + 56, 0, 2, "a resource's data runs past the data"},
    {"OneTypeAndIdTwice", Fork, map + 50, 1, 2, "two resources have the same type and id"},
    {"HugeFork", Fork, ResourceForkFormat::kMaxForkSize + 1, 0, 0, "larger than 16 MiB"},
    {"AppleSingle", Sidecar, 3, 0, 1, "no AppleDouble signature"},
    {"Version1", Sidecar, 5, 1, 1, "not version 2"},
    {"CutHeader", Sidecar, 20, 0, 0, "the header is cut short"},
    {"ManyEntries", Sidecar, 24, 100, 2, "the entry table is cut short"},
    {"ForkOutside", Sidecar, 42, 0xFFFFFFFE, 4, "entry 2 lies outside the file"},
    {"EntryTwice", Sidecar, 38, 9, 4, "entry 9 is given twice"},
    {"ShortFinderInfo", Sidecar, 34, 16, 4, "the Finder information is shorter than 32 bytes"},
    {"Overlap", Sidecar, 42, 60, 4, "the Finder information and the fork overlap"},
    {"CutRecord", Record, 100, 0, 0, "its size field says more than it holds"},
    {"Version4", Record, 7, 4, 1, "version 4 is not known"},
    {"TagPastEnd", Record, 152, 0x0100, 2, "tag 18 runs past the end"},
};

TEST(Formats, MalformedInputIsRefusedWithItsReason)
{
    const char* prefix[] = {"resource fork", "AppleDouble file", "alias record"};
    for (const Malformed& row : malformed) {
        EXPECT_EQ(reasonFor(row),
            u"Invalid %1: %2"_s.arg(
                QString::fromUtf8(prefix[row.format]), QString::fromUtf8(row.reason)))
            << row.name;
    }
    // Found by fuzzing: a rewrite grouped the two entries, so it read back differently.
    EXPECT_EQ(reasonOf(ResourceForkFormat::parse(readFile(
                  u"" KESTROVA_FILESVC_TEST_DATA "/fuzz-resource-fork-type-listed-twice.rsrc"_s))),
        u"Invalid resource fork: a type is listed twice"_s);
}

TEST(AppleDouble, CorpusSidecarsAreReadAndRewrittenUnchanged)
{
    KESTROVA_REQUIRE_CORPUS();
    // The file, its fork's size and what its Finder information holds past 32 bytes.
    const std::tuple<const char*, qsizetype, qsizetype> sidecars[] = {
        {"libarchive_zip_mac_metadata_._file3", 0, 237 - 32},
        {"libarchive_appledouble_zip_._test_file", 14, 70 - 32},
        {"libarchive_appledouble_zip_._apple_double_dir_test", 0, 120 - 32}};
    for (const auto& [name, forkSize, finderInfoTail] : sidecars) {
        SCOPED_TRACE(name);
        const QByteArray bytes = corpusFile("appledouble/", name);
        const Result<AppleDoubleFile> file = AppleDouble::parse(bytes);
        ASSERT_TRUE(file) << file.reason().toStdString();
        EXPECT_EQ(file->resourceFork.size(), forkSize);
        EXPECT_EQ(file->finderInfoTail.size(), finderInfoTail);
        EXPECT_TRUE(file->rewritable);
        EXPECT_EQ(AppleDouble::serialize(*file), bytes);
    }
}

// Samba takes only this form (Finder information at 50, the fork last), then keeps its own.
TEST(AppleDouble, WritesTheFormsMacOSAndSambaWrite)
{
    AppleDoubleFile file;
    file.finderInfo[0] = 'f';
    file.resourceFork = QByteArray(286, 'r');
    const QByteArray bytes = AppleDouble::serialize(file);
    ASSERT_EQ(bytes.size(), 4096);
    EXPECT_EQ(bytes.sliced(8, 16), QByteArray("Mac OS X        "));
    EXPECT_EQ(bytes.sliced(24, 26).toHex(),
        QByteArray("0002000000090000003200000eb0"
                   "0000000200000ee20000011e"));
    EXPECT_EQ(bytes.sliced(84, 16).toHex(),
        QByteArray("4154545200000000"
                   "00000ee200000078"));
    const Result<AppleDoubleFile> again = AppleDouble::parse(bytes);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->finderInfo, file.finderInfo);
    EXPECT_EQ(again->resourceFork, file.resourceFork);
    file.filler = "Netatalk        ";
    const QByteArray compact = AppleDouble::serialize(file);
    EXPECT_EQ(compact.size(), 82 + 286);
    EXPECT_EQ(AppleDouble::serialize(*AppleDouble::parse(compact)), compact);
}

TEST(AliasRecordFormat, CorpusRecordsTellWhatTheyKeepWithoutResolving)
{
    KESTROVA_REQUIRE_CORPUS();
    const struct {
        const char* file;
        quint16 version;
        const char* name; // in the fixed part; version 3 keeps it only in tags
        quint32 parentId;
        quint32 fileId;
        int tagCount;
        const char* lastKnownName;
        const char* volume;
        const char* path;
    } records[] = {
        {"ClassicBox_AppAlias.alis", 2, "app", 542, 543, 3, "app", "Boot", "Boot:AutQuit7:A:B:app"},
        {"tcl_LibraryFolder.alis", 2, "(Support Libraries)", 2, 7767300, 2, "(Support Libraries)",
            "/", "/:(Support Libraries)"},
        {"node-alias_TestBkg.alis", 2, "TestBkg.tiff", 19, 20, 6, "TestBkg.tiff", "Test Title",
            "/Volumes/Test Title/.background/TestBkg.tiff"},
        {"dtformats_loginitems_v3.alis", 3, "", 0x26EAE, 0x26EB1, 5, "iTunesHelper.app",
            "Macintosh HD", "/Applications/iTunes.app/Contents/MacOS/iTunesHelper.app"}};
    for (const auto& row : records) {
        SCOPED_TRACE(row.file);
        const QByteArray bytes = corpusFile("alias_records/", row.file);
        const Result<AliasRecord> record = AliasRecordFormat::parse(bytes);
        ASSERT_TRUE(record) << record.reason().toStdString();
        EXPECT_EQ(record->version, row.version);
        EXPECT_EQ(record->fileName, QByteArray(row.name));
        EXPECT_EQ(record->parentId, row.parentId);
        EXPECT_EQ(record->fileId, row.fileId);
        EXPECT_EQ(record->tags.size(), row.tagCount);
        const std::unique_ptr<JLAlias> alias = JLAlias::initWithData(bytes);
        EXPECT_EQ(alias->lastKnownName(), QString::fromUtf8(row.lastKnownName));
        EXPECT_EQ(alias->lastKnownVolumeName(), QString::fromUtf8(row.volume));
        EXPECT_EQ(alias->lastKnownPath(), QString::fromUtf8(row.path));
        EXPECT_EQ(alias->lastKnownShareURL(), std::nullopt);
    }
}

TEST(AliasRecordFormat, WritesVersion2WithTypeAndCreatorWhereMacsReadThem)
{
    AliasRecord record;
    record.fileName = "app";
    record.fileType = 0x4150504C;
    record.fileCreator = 0x41517437;
    record.setTag(AliasRecord::PosixPath, "/odd");
    const Result<QByteArray> bytes = AliasRecordFormat::serialize(record);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->sliced(122, 8), QByteArray("APPLAQt7"));
    EXPECT_EQ(qFromBigEndian<quint16>(bytes->constData() + 4), bytes->size());
    // The odd tag is padded to an even length, then the end tag.
    EXPECT_EQ(bytes->sliced(150).toHex(), QByteArray("001200042f6f6464ffff0000"));
    record.setTag(AliasRecord::PosixMountPoint, QByteArray(70000, 'x'));
    EXPECT_FALSE(AliasRecordFormat::serialize(record));
}

}
