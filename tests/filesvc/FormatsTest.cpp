#include "filesvc/AliasRecordFormat.h"
#include "filesvc/AppleDouble.h"
#include "filesvc/ResourceForkFormat.h"
#include "support/Corpus.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray corpusFile(const char* relative)
{
    QFile file(Corpus::path(QStringLiteral("filesvc/") + QString::fromUtf8(relative)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString fourCC(quint32 code)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(code, bytes.data());
    return QString::fromLatin1(bytes);
}

// One line a resource: "type id name size".
QStringList summary(const ResourceFork& fork)
{
    QStringList lines;
    for (const Resource& resource : fork.resources) {
        lines.append(
            QStringLiteral("%1 %2 %3 %4")
                .arg(fourCC(resource.type))
                .arg(resource.id)
                .arg(resource.name ? QString::fromLatin1(*resource.name) : QStringLiteral("-"))
                .arg(resource.data.size()));
    }
    return lines;
}

void put32(QByteArray& bytes, qsizetype offset, quint32 value)
{
    qToBigEndian(value, bytes.data() + offset);
}

void put16(QByteArray& bytes, qsizetype offset, quint16 value)
{
    qToBigEndian(value, bytes.data() + offset);
}

struct CorpusFork {
    const char* file;
    QStringList resources;
};

class CorpusForks : public testing::TestWithParam<CorpusFork> { };

TEST_P(CorpusForks, ReadExactlyAndWriteBackByteForByte)
{
    KESTROVA_REQUIRE_CORPUS();
    const QByteArray bytes = corpusFile(GetParam().file);
    const Result<ResourceFork> fork = ResourceForkFormat::parse(bytes);
    ASSERT_TRUE(fork) << fork.reason().toStdString();
    EXPECT_EQ(summary(*fork), GetParam().resources);
    const Result<QByteArray> written = ResourceForkFormat::serialize(*fork);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, bytes);
}

INSTANTIATE_TEST_SUITE_P(ResourceForkFormat, CorpusForks,
    testing::Values(CorpusFork {"resource_forks/ClassicBox_AppAlias.rsrcfork.dat",
                        {QStringLiteral("alis 0 app alias 202")}},
        CorpusFork {"resource_forks/nuxeo-drive_nuxeo_folder_mac.rsrc",
            {QStringLiteral("icns -16455 - 188173")}},
        CorpusFork {"resource_forks/python-rsrcfork_testfile.rsrc",
            {QStringLiteral("STR  128 - 39"), QStringLiteral("STR  129 The Name 40"),
                QStringLiteral("STR  130 - 45"),
                QStringLiteral("STR  131 The Name with Attributes 42")}},
        CorpusFork {"resource_forks/python-rsrcfork_unicode.textClipping.rsrc",
            {QStringLiteral("utxt 256 - 74"), QStringLiteral("utf8 256 - 45"),
                QStringLiteral("TEXT 256 - 37"), QStringLiteral("drag 128 - 64")}},
        CorpusFork {"resource_forks/python-rsrcfork_empty.rsrc", {}}));

// A fork of one resource 'TEST' 1 named "n" with four bytes of data, to break.
QByteArray smallFork()
{
    ResourceFork fork;
    fork.put(Resource {0x54455354, 1, QByteArray("n"), 0, QByteArray("data"), 0});
    return *ResourceForkFormat::serialize(fork);
}

struct BrokenFork {
    const char* what;
    std::function<void(QByteArray&)> breakIt;
    const char* reason;
};

class BrokenForks : public testing::TestWithParam<BrokenFork> { };

TEST_P(BrokenForks, AreRefusedWithTheirReason)
{
    QByteArray bytes = smallFork();
    GetParam().breakIt(bytes);
    const Result<ResourceFork> fork = ResourceForkFormat::parse(bytes);
    ASSERT_FALSE(fork);
    EXPECT_EQ(fork.reason(),
        QStringLiteral("Invalid resource fork: ") + QString::fromUtf8(GetParam().reason));
}

// The small fork: data at 256 (8 bytes), map at 264: type list at map+28, one type
// entry, one reference at map+38, names at map+50.
INSTANTIATE_TEST_SUITE_P(ResourceForkFormat, BrokenForks,
    testing::Values(
        BrokenFork {"cut", [](QByteArray& b) { b.truncate(10); }, "the header is cut short"},
        BrokenFork {"map past end", [](QByteArray& b) { put32(b, 12, 0xFFFFFFF0); },
            "the data or the map lies outside the fork"},
        BrokenFork {"data overflow", [](QByteArray& b) { put32(b, 0, 0xFFFFFFFF); },
            "the data or the map lies outside the fork"},
        BrokenFork {"tiny map", [](QByteArray& b) { put32(b, 12, 20); }, "the map is too short"},
        BrokenFork {"type list out", [](QByteArray& b) { put16(b, 264 + 24, 0xFFF0); },
            "the type or name list lies outside the map"},
        BrokenFork {"many references", [](QByteArray& b) { put16(b, 264 + 28 + 6, 0x7FFF); },
            "more resources than the map can hold"},
        BrokenFork {"reference out", [](QByteArray& b) { put16(b, 264 + 28 + 8, 0x7FF0); },
            "a reference lies outside the map"},
        BrokenFork {"name out", [](QByteArray& b) { put16(b, 264 + 40, 0x0100); },
            "a name lies outside the map"},
        BrokenFork {"data length", [](QByteArray& b) { put32(b, 256, 0x7FFFFFFF); },
            "a resource's data runs past the data"},
        BrokenFork {"huge", [](QByteArray& b) { b.resize(ResourceForkFormat::kMaxForkSize + 1); },
            "larger than 16 MiB"}));

TEST(ResourceForkFormat, RefusesSharedDataThatWouldMultiplyItsSize)
{
    ResourceFork fork;
    fork.put(Resource {0x54455354, 1, std::nullopt, 0, QByteArray(100, 'x'), 0});
    fork.put(Resource {0x54455354, 2, std::nullopt, 0, QByteArray(100, 'y'), 0});
    QByteArray bytes = *ResourceForkFormat::serialize(fork);
    // Both references point at the first resource's data.
    const qsizetype secondReference = 256 + 208 + 28 + 2 + 8 + 12;
    bytes[secondReference + 5] = 0;
    bytes[secondReference + 6] = 0;
    bytes[secondReference + 7] = 0;
    ASSERT_TRUE(ResourceForkFormat::parse(bytes));
    put32(bytes, 4, 256 + 104);
    put32(bytes, 8, 104);
    EXPECT_FALSE(ResourceForkFormat::parse(bytes.first(256 + 104) + bytes.sliced(256 + 208)));
}

// Found by fuzz_resource_fork: a type list naming one type twice, which a rewrite
// grouped into one entry, so the fork read back differently.
TEST(ResourceForkFormat, RefusesATypeListedTwice)
{
    QFile file(
        QStringLiteral(KESTROVA_FILESVC_TEST_DATA "/fuzz-resource-fork-type-listed-twice.rsrc"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const Result<ResourceFork> fork = ResourceForkFormat::parse(file.readAll());
    ASSERT_FALSE(fork);
    EXPECT_EQ(fork.reason(), QStringLiteral("Invalid resource fork: a type is listed twice"));
}

TEST(ResourceForkFormat, RefusesTwoResourcesOfOneTypeAndId)
{
    ResourceFork fork;
    fork.put(Resource {0x54455354, 1, std::nullopt, 0, "a", 0});
    fork.put(Resource {0x54455354, 2, std::nullopt, 0, "b", 0});
    QByteArray bytes = *ResourceForkFormat::serialize(fork);
    put16(bytes, 256 + 10 + 38 + 12, 1);
    const Result<ResourceFork> parsed = ResourceForkFormat::parse(bytes);
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.reason(),
        QStringLiteral("Invalid resource fork: two resources have the same type and id"));
}

TEST(ResourceForkFormat, PutReplacesTheSameTypeAndIdAndGroupsByType)
{
    ResourceFork fork;
    fork.put(Resource {1, 1, std::nullopt, 0, "a", 0});
    fork.put(Resource {2, 1, std::nullopt, 0, "b", 0});
    fork.put(Resource {1, 2, std::nullopt, 0, "c", 0});
    fork.put(Resource {1, 1, std::nullopt, 0, "d", 0});
    QStringList order;
    for (const Resource& resource : fork.resources)
        order.append(QStringLiteral("%1/%2=%3")
                         .arg(resource.type)
                         .arg(resource.id)
                         .arg(QString::fromLatin1(resource.data)));
    EXPECT_EQ(order,
        (QStringList {QStringLiteral("1/1=d"), QStringLiteral("1/2=c"), QStringLiteral("2/1=b")}));
    const Result<ResourceFork> again =
        ResourceForkFormat::parse(*ResourceForkFormat::serialize(fork));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->resources, fork.resources);
}

struct CorpusSidecar {
    const char* file;
    qsizetype forkSize;
    qsizetype finderInfoTail;
};

class CorpusSidecars : public testing::TestWithParam<CorpusSidecar> { };

TEST_P(CorpusSidecars, AreReadAndRewrittenUnchanged)
{
    KESTROVA_REQUIRE_CORPUS();
    const QByteArray bytes = corpusFile(GetParam().file);
    const Result<AppleDoubleFile> file = AppleDouble::parse(bytes);
    ASSERT_TRUE(file) << file.reason().toStdString();
    EXPECT_EQ(file->resourceFork.size(), GetParam().forkSize);
    EXPECT_EQ(file->finderInfoTail.size(), GetParam().finderInfoTail);
    EXPECT_TRUE(file->rewritable);
    EXPECT_EQ(AppleDouble::serialize(*file), bytes);
}

INSTANTIATE_TEST_SUITE_P(AppleDouble, CorpusSidecars,
    testing::Values(CorpusSidecar {"appledouble/libarchive_zip_mac_metadata_._file3", 0, 237 - 32},
        CorpusSidecar {"appledouble/libarchive_appledouble_zip_._test_file", 14, 70 - 32},
        CorpusSidecar {
            "appledouble/libarchive_appledouble_zip_._apple_double_dir_test", 0, 120 - 32}));

TEST(AppleDouble, WritesANewSidecarInTheFormMacOSWrites)
{
    AppleDoubleFile file;
    file.finderInfo[0] = 'f';
    file.resourceFork = QByteArray(286, 'r');
    const QByteArray bytes = AppleDouble::serialize(file);
    ASSERT_EQ(bytes.size(), 4096);
    EXPECT_EQ(bytes.sliced(8, 16), QByteArray("Mac OS X        "));
    EXPECT_EQ(bytes.sliced(24, 26).toHex(),
        QByteArray("0002"
                   "00000009"
                   "00000032"
                   "00000eb0"
                   "00000002"
                   "00000ee2"
                   "0000011e"));
    EXPECT_EQ(bytes.sliced(84, 16).toHex(),
        QByteArray("41545452"
                   "00000000"
                   "00000ee2"
                   "00000078"));
    const Result<AppleDoubleFile> again = AppleDouble::parse(bytes);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->finderInfo, file.finderInfo);
    EXPECT_EQ(again->resourceFork, file.resourceFork);
}

TEST(AppleDouble, KeepsTheLayoutSambaLeavesWhenRewriting)
{
    AppleDoubleFile file;
    file.filler = "Netatalk        ";
    file.resourceFork = "fork";
    const QByteArray bytes = AppleDouble::serialize(file);
    EXPECT_EQ(bytes.size(), 82 + 4);
    const Result<AppleDoubleFile> again = AppleDouble::parse(bytes);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->filler, file.filler);
    EXPECT_EQ(AppleDouble::serialize(*again), bytes);
}

struct BrokenSidecar {
    const char* what;
    std::function<void(QByteArray&)> breakIt;
    const char* reason;
};

class BrokenSidecars : public testing::TestWithParam<BrokenSidecar> { };

TEST_P(BrokenSidecars, AreRefusedWithTheirReason)
{
    AppleDoubleFile file;
    file.filler = "Netatalk        ";
    file.resourceFork = "fork";
    QByteArray bytes = AppleDouble::serialize(file);
    GetParam().breakIt(bytes);
    const Result<AppleDoubleFile> parsed = AppleDouble::parse(bytes);
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.reason(),
        QStringLiteral("Invalid AppleDouble file: ") + QString::fromUtf8(GetParam().reason));
}

// The compact sidecar: entries at 26 (Finder info 9 at 50, 32 bytes) and 38 (fork 2 at 82).
INSTANTIATE_TEST_SUITE_P(AppleDouble, BrokenSidecars,
    testing::Values(
        BrokenSidecar {"AppleSingle", [](QByteArray& b) { b[3] = 0; }, "no AppleDouble signature"},
        BrokenSidecar {"version 1", [](QByteArray& b) { b[5] = 1; }, "not version 2"},
        BrokenSidecar {
            "cut header", [](QByteArray& b) { b.truncate(20); }, "the header is cut short"},
        BrokenSidecar {"many entries", [](QByteArray& b) { put16(b, 24, 100); },
            "the entry table is cut short"},
        BrokenSidecar {"fork outside", [](QByteArray& b) { put32(b, 42, 0xFFFFFFFE); },
            "entry 2 lies outside the file"},
        BrokenSidecar {"twice", [](QByteArray& b) { put32(b, 38, 9); }, "entry 9 is given twice"},
        BrokenSidecar {"short Finder info", [](QByteArray& b) { put32(b, 34, 16); },
            "the Finder information is shorter than 32 bytes"},
        BrokenSidecar {"overlap", [](QByteArray& b) { put32(b, 42, 60); },
            "the Finder information and the fork overlap"}));

struct CorpusRecord {
    const char* file;
    quint16 version;
    const char* name;
    const char* volume;
    quint32 parentId;
    quint32 fileId;
    int tagCount;
};

class CorpusRecords : public testing::TestWithParam<CorpusRecord> { };

TEST_P(CorpusRecords, ReadTheirFixedPartAndTags)
{
    KESTROVA_REQUIRE_CORPUS();
    const Result<AliasRecord> record = AliasRecordFormat::parse(corpusFile(GetParam().file));
    ASSERT_TRUE(record) << record.reason().toStdString();
    EXPECT_EQ(record->version, GetParam().version);
    EXPECT_EQ(record->fileName, QByteArray(GetParam().name));
    EXPECT_EQ(record->volumeName, QByteArray(GetParam().volume));
    EXPECT_EQ(record->parentId, GetParam().parentId);
    EXPECT_EQ(record->fileId, GetParam().fileId);
    EXPECT_EQ(record->tags.size(), GetParam().tagCount);
}

INSTANTIATE_TEST_SUITE_P(AliasRecordFormat, CorpusRecords,
    testing::Values(
        CorpusRecord {"alias_records/ClassicBox_AppAlias.alis", 2, "app", "Boot", 542, 543, 3},
        CorpusRecord {
            "alias_records/tcl_LibraryFolder.alis", 2, "(Support Libraries)", "/", 2, 7767300, 2},
        CorpusRecord {
            "alias_records/node-alias_TestBkg.alis", 2, "TestBkg.tiff", "Test Title", 19, 20, 6},
        CorpusRecord {
            "alias_records/dtformats_loginitems_v3.alis", 3, "", "", 0x26EAE, 0x26EB1, 5}));

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
    EXPECT_EQ(bytes->sliced(150).toHex(),
        QByteArray("00120004"
                   "2f6f6464"
                   "ffff0000"));
    record.setTag(AliasRecord::PosixMountPoint, QByteArray(70000, 'x'));
    EXPECT_FALSE(AliasRecordFormat::serialize(record));
}

TEST(AliasRecordFormat, RefusesRecordsItCannotRead)
{
    KESTROVA_REQUIRE_CORPUS();
    const QByteArray good = corpusFile("alias_records/ClassicBox_AppAlias.alis");
    QByteArray otherVersion = good;
    otherVersion[7] = 4;
    QByteArray tagPastEnd = good;
    put16(tagPastEnd, 0xAE, 0x0100);
    for (const QByteArray& bytes : {good.first(100), otherVersion, tagPastEnd, good.first(160)})
        EXPECT_FALSE(AliasRecordFormat::parse(bytes));
}

}
