#include "filesvc/AliasRecordFormat.h"
#include "filesvc/AppleDouble.h"
#include "filesvc/JLAlias.h"
#include "filesvc/ResourceForkFormat.h"
#include "support/Corpus.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray corpusFile(const char* relative)
{
    return readAll(Corpus::path(QStringLiteral("filesvc/") + QString::fromUtf8(relative)));
}

void put32(QByteArray& bytes, qsizetype offset, quint32 value)
{
    qToBigEndian(value, bytes.data() + offset);
}

void put16(QByteArray& bytes, qsizetype offset, quint16 value)
{
    qToBigEndian(value, bytes.data() + offset);
}

// One line a resource: "type id name size".
QStringList summary(const ResourceFork& fork)
{
    QStringList lines;
    for (const Resource& resource : fork.resources) {
        QByteArray type(4, '\0');
        qToBigEndian(resource.type, type.data());
        lines.append(QStringLiteral("%1 %2 %3 %4")
                         .arg(QString::fromLatin1(type))
                         .arg(resource.id)
                         .arg(QString::fromLatin1(resource.name.value_or("-")))
                         .arg(resource.data.size()));
    }
    return lines;
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
    EXPECT_EQ(ResourceForkFormat::serialize(*fork).value(), bytes);
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

enum Format { Fork, Sidecar, Record };

struct Malformed {
    const char* what;
    Format format;
    std::function<void(QByteArray&)> breakIt;
    const char* reason;
};

// Names the case in failure messages.
void PrintTo(const Malformed& row, std::ostream* out)
{
    *out << row.what;
}

template<typename T> QString reasonOf(const Result<T>& result)
{
    return result ? QStringLiteral("accepted") : result.reason();
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

class MalformedInput : public testing::TestWithParam<Malformed> { };

TEST_P(MalformedInput, IsRefusedWithItsReason)
{
    QByteArray bytes = sample(GetParam().format);
    GetParam().breakIt(bytes);
    const QString reason = GetParam().format == Fork ? reasonOf(ResourceForkFormat::parse(bytes))
        : GetParam().format == Sidecar               ? reasonOf(AppleDouble::parse(bytes))
                                                     : reasonOf(AliasRecordFormat::parse(bytes));
    EXPECT_EQ(reason, QString::fromUtf8(GetParam().reason));
}

// The fork: data at 256 (12 bytes), the map at 268 with the type entry at +30, the
// references at +38 and +50 (id, name offset, attributes, data offset), names at +62. The
// sidecar: entries at 26 (Finder info 9 at 50, 32 bytes) and 38 (fork 2 at 82). The
// record: 150 bytes of fixed part, then the tags.
constexpr qsizetype map = 268;
INSTANTIATE_TEST_SUITE_P(Formats, MalformedInput,
    testing::Values(Malformed {"cut fork", Fork, [](QByteArray& b) { b.truncate(10); },
                        "Invalid resource fork: the header is cut short"},
        Malformed {"map past end", Fork, [](QByteArray& b) { put32(b, 12, 0xFFFFFFF0); },
            "Invalid resource fork: the data or the map lies outside the fork"},
        Malformed {"data overflow", Fork, [](QByteArray& b) { put32(b, 0, 0xFFFFFFFF); },
            "Invalid resource fork: the data or the map lies outside the fork"},
        Malformed {"tiny map", Fork, [](QByteArray& b) { put32(b, 12, 20); },
            "Invalid resource fork: the map is too short"},
        Malformed {"type list out", Fork, [](QByteArray& b) { put16(b, map + 24, 0xFFF0); },
            "Invalid resource fork: the type or name list lies outside the map"},
        Malformed {"many references", Fork, [](QByteArray& b) { put16(b, map + 34, 0x7FFF); },
            "Invalid resource fork: more resources than the map can hold"},
        Malformed {"reference out", Fork, [](QByteArray& b) { put16(b, map + 36, 0x7FF0); },
            "Invalid resource fork: a reference lies outside the map"},
        Malformed {"name out", Fork, [](QByteArray& b) { put16(b, map + 40, 0x0100); },
            "Invalid resource fork: a name lies outside the map"},
        Malformed {"data length", Fork, [](QByteArray& b) { put32(b, 256, 0x7FFFFFFF); },
            "Invalid resource fork: a resource's data runs past the data"},
        // Data read twice would let a small fork claim many times its size.
        Malformed {"shared data", Fork, [](QByteArray& b) { put16(b, map + 56, 0); },
            "Invalid resource fork: a resource's data runs past the data"},
        Malformed {"one type and id twice", Fork, [](QByteArray& b) { put16(b, map + 50, 1); },
            "Invalid resource fork: two resources have the same type and id"},
        // Found by fuzzing: a rewrite grouped the two entries, so it read back differently.
        Malformed {"type listed twice", Fork,
            [](QByteArray& b) {
                b = readAll(QStringLiteral(
                    KESTROVA_FILESVC_TEST_DATA "/fuzz-resource-fork-type-listed-twice.rsrc"));
            },
            "Invalid resource fork: a type is listed twice"},
        Malformed {"huge fork", Fork,
            [](QByteArray& b) { b.resize(ResourceForkFormat::kMaxForkSize + 1); },
            "Invalid resource fork: larger than 16 MiB"},
        Malformed {"AppleSingle", Sidecar, [](QByteArray& b) { b[3] = 0; },
            "Invalid AppleDouble file: no AppleDouble signature"},
        Malformed {"version 1", Sidecar, [](QByteArray& b) { b[5] = 1; },
            "Invalid AppleDouble file: not version 2"},
        Malformed {"cut header", Sidecar, [](QByteArray& b) { b.truncate(20); },
            "Invalid AppleDouble file: the header is cut short"},
        Malformed {"many entries", Sidecar, [](QByteArray& b) { put16(b, 24, 100); },
            "Invalid AppleDouble file: the entry table is cut short"},
        Malformed {"fork outside", Sidecar, [](QByteArray& b) { put32(b, 42, 0xFFFFFFFE); },
            "Invalid AppleDouble file: entry 2 lies outside the file"},
        Malformed {"entry twice", Sidecar, [](QByteArray& b) { put32(b, 38, 9); },
            "Invalid AppleDouble file: entry 9 is given twice"},
        Malformed {"short Finder info", Sidecar, [](QByteArray& b) { put32(b, 34, 16); },
            "Invalid AppleDouble file: the Finder information is shorter than 32 bytes"},
        Malformed {"overlap", Sidecar, [](QByteArray& b) { put32(b, 42, 60); },
            "Invalid AppleDouble file: the Finder information and the fork overlap"},
        Malformed {"cut record", Record, [](QByteArray& b) { b.truncate(100); },
            "Invalid alias record: its size field says more than it holds"},
        Malformed {"version 4", Record, [](QByteArray& b) { b[7] = 4; },
            "Invalid alias record: version 4 is not known"},
        Malformed {"tag past end", Record, [](QByteArray& b) { put16(b, 152, 0x0100); },
            "Invalid alias record: tag 18 runs past the end"}));

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

// Samba takes a sidecar only in this form: two entries, Finder information at 50, the
// fork last; once it has rewritten one it keeps its own compact layout.
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

struct CorpusRecord {
    const char* file;
    quint16 version;
    const char* name; // in the fixed part; version 3 keeps it only in tags
    quint32 parentId;
    quint32 fileId;
    int tagCount;
    const char* lastKnownName;
    const char* volume;
    const char* path;
};

class CorpusRecords : public testing::TestWithParam<CorpusRecord> { };

TEST_P(CorpusRecords, TellWhatTheyKeepWithoutResolving)
{
    KESTROVA_REQUIRE_CORPUS();
    const QByteArray bytes =
        corpusFile((QByteArray("alias_records/") + GetParam().file).constData());
    const Result<AliasRecord> record = AliasRecordFormat::parse(bytes);
    ASSERT_TRUE(record) << record.reason().toStdString();
    EXPECT_EQ(record->version, GetParam().version);
    EXPECT_EQ(record->fileName, QByteArray(GetParam().name));
    EXPECT_EQ(record->parentId, GetParam().parentId);
    EXPECT_EQ(record->fileId, GetParam().fileId);
    EXPECT_EQ(record->tags.size(), GetParam().tagCount);
    const std::unique_ptr<JLAlias> alias = JLAlias::initWithData(bytes);
    EXPECT_EQ(alias->lastKnownName(), QString::fromUtf8(GetParam().lastKnownName));
    EXPECT_EQ(alias->lastKnownVolumeName(), QString::fromUtf8(GetParam().volume));
    EXPECT_EQ(alias->lastKnownPath(), QString::fromUtf8(GetParam().path));
    EXPECT_EQ(alias->lastKnownShareURL(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(AliasRecordFormat, CorpusRecords,
    testing::Values(CorpusRecord {"ClassicBox_AppAlias.alis", 2, "app", 542, 543, 3, "app", "Boot",
                        "Boot:AutQuit7:A:B:app"},
        CorpusRecord {"tcl_LibraryFolder.alis", 2, "(Support Libraries)", 2, 7767300, 2,
            "(Support Libraries)", "/", "/:(Support Libraries)"},
        CorpusRecord {"node-alias_TestBkg.alis", 2, "TestBkg.tiff", 19, 20, 6, "TestBkg.tiff",
            "Test Title", "/Volumes/Test Title/.background/TestBkg.tiff"},
        CorpusRecord {"dtformats_loginitems_v3.alis", 3, "", 0x26EAE, 0x26EB1, 5,
            "iTunesHelper.app", "Macintosh HD",
            "/Applications/iTunes.app/Contents/MacOS/iTunesHelper.app"}));

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
