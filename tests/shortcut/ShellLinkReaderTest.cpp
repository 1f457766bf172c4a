#include "shortcut/EncodingRepair.h"
#include "shortcut/HVWindowsShortcut.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Field = ReadingProvenance::Field;
using namespace Qt::StringLiterals;
using namespace ShellLinkWriter;

namespace {

const QString kNetworkTarget = u"\\\\SERVER\\SHARE/dir\\file.doc"_s;
const QString kFixing = u"Fixing path with data from EnvironmentDataBlock"_s;
const QString kOverwriting = u"Overwriting path with data from EnvironmentDataBlock"_s;

std::unique_ptr<HVWindowsShortcut> read(const QByteArray& bytes)
{
    return HVWindowsShortcut::initWithContentsOfData(bytes);
}

ShellLinkContents networkLink(quint32 flags = 0, QList<QByteArray> blocks = {})
{
    ShellLinkContents contents;
    contents.extraLinkFlags = flags;
    contents.netName = "\\\\SERVER\\SHARE";
    contents.commonPathSuffix = "dir\\file.doc";
    contents.extraDataBlocks = std::move(blocks);
    return contents;
}

ShellLinkContents localLink(const QByteArray& path, QList<QByteArray> blocks = {})
{
    ShellLinkContents contents;
    contents.localBasePath = path;
    contents.extraDataBlocks = std::move(blocks);
    return contents;
}

template<typename Field, typename Value>
ShellLinkContents with(ShellLinkContents contents, Field ShellLinkContents::*field, Value value)
{
    contents.*field = value;
    return contents;
}

QByteArray environment(const char* utf8Target)
{
    return environmentBlock("", QString::fromUtf8(utf8Target));
}

QByteArray linkInfoBlock(quint32 flags, quint32 localOffset, quint32 networkOffset,
    quint32 suffixOffset, const QByteArray& tail)
{
    const QByteArray body = uint32(0x1C) + uint32(flags) + uint32(0) + uint32(localOffset)
        + uint32(networkOffset) + uint32(suffixOffset) + tail;
    return uint32(quint32(body.size() + 4)) + body;
}

ShellLinkContents rawLinkInfo(const QByteArray& block)
{
    ShellLinkContents contents;
    contents.rawLinkInfo = block;
    return contents;
}

ShellLinkContents unicodeFields(quint32 netNameOffset, quint32 headerSize)
{
    ShellLinkContents contents;
    contents.netName = "\\\\ANSI\\S";
    contents.commonPathSuffix = "ansi.txt";
    contents.commonPathSuffixUnicode = u"unicodé.txt"_s;
    if (netNameOffset > 0x14)
        contents.netNameUnicode = u"\\\\UNICODÉ\\S"_s;
    contents.netNameOffset = netNameOffset;
    contents.linkInfoHeaderSize = headerSize;
    return contents;
}

ShellLinkContents withStrings(bool unicode)
{
    ShellLinkContents contents = localLink("C:\\a.txt", {environment("%HOME%\\a.txt")});
    contents.extraLinkFlags = kPreferEnvironmentPath;
    contents.unicodeStrings = unicode;
    contents.name = u"hello"_s;
    contents.workingDir = u"C:\\"_s;
    contents.iconLocation = u"%SystemRoot%\\icon.dll"_s;
    return contents;
}

QByteArray highBytes()
{
    QByteArray bytes;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        bytes += char(byte);
    return bytes;
}

// A local path of 1 MB of non-ASCII bytes and thousands of environment blocks whose target
// does not end in it: a reader that repairs the path once a block runs for hours.
QByteArray manyBlocksAgainstLongPath()
{
    ShellLinkContents contents = localLink(QByteArray(1 << 20, '\xE9'));
    contents.extraDataBlocks.fill(environment("C:\\Users\\%USERNAME%\\elsewhere.txt"), 4000);
    return write(contents);
}

struct TargetCase {
    const char* name;
    QByteArray file;
    std::optional<QString> fullFilename;
    Field path;
    QStringList log;
};

const QString kUnicodeShare = u"\\\\UNICODÉ\\S/unicodé.txt"_s;

TEST(ShellLinkReader, ReadsTheTargetFromTheFieldThatCounts)
{
    const TargetCase cases[] = {{"local", write(localLink("X:\\dir\\file.txt")),
                                    u"X:\\dir\\file.txt"_s, Field::LocalBasePath, {}},
        {"eightBitIsLatin1", write(localLink(highBytes())), QString::fromLatin1(highBytes()),
            Field::LocalBasePath, {}},
        {"networkReplacesLocal",
            write(with(networkLink(), &ShellLinkContents::localBasePath, "Z:\\dir\\file.doc")),
            kNetworkTarget, Field::CommonPathSuffix, {}},
        {"noTarget", write(ShellLinkContents {}), std::nullopt, Field::None, {}},
        {"emptySuffixKeepsSlash",
            write(with(networkLink(), &ShellLinkContents::commonPathSuffix, "")),
            u"\\\\SERVER\\SHARE/"_s, Field::CommonPathSuffix, {}},
        {"netName0x14", write(unicodeFields(0x14, 0x24)), u"\\\\ANSI\\S/unicodé.txt"_s,
            Field::CommonPathSuffixUnicode, {}},
        {"netName0x15", write(unicodeFields(0x15, 0x24)), kUnicodeShare,
            Field::CommonPathSuffixUnicode, {}},
        {"header0x23", write(unicodeFields(0x14, 0x23)), u"\\\\ANSI\\S/ansi.txt"_s,
            Field::CommonPathSuffix, {}},
        {"header0x24", write(unicodeFields(0x1C, 0x24)), kUnicodeShare,
            Field::CommonPathSuffixUnicode, {}},
        // A string whose offset lies outside the block, or without a terminator inside
        // it, is absent; the link still reads, without that target.
        {"localOffsetPastBlock", write(rawLinkInfo(linkInfoBlock(1, 0xFFFFFFF0, 0, 0, "C:\\a\0"))),
            std::nullopt, Field::None, {}},
        {"localPathUnterminated", write(rawLinkInfo(linkInfoBlock(1, 28, 0, 0, "C:\\a.txt"))),
            std::nullopt, Field::None, {}},
        {"networkOffsetPastBlockLeavesLocal",
            write(rawLinkInfo(linkInfoBlock(3, 28, 0x7FFFFFFF, 0, QByteArray("C:\\l.txt", 9)))),
            u"C:\\l.txt"_s, Field::LocalBasePath, {}},
        {"netNameOffsetPastBlock",
            write(rawLinkInfo(linkInfoBlock(
                2, 0, 28, 48, uint32(20) + uint32(2) + uint32(0xFFFFFFFF) + QByteArray(9, '\0')))),
            std::nullopt, Field::None, {}},
        {"unicodeNetNameUnterminated",
            write(rawLinkInfo(linkInfoBlock(2, 0, 29, 28,
                QByteArray(1, '\0') + uint32(28) + uint32(2) + uint32(0x1C) + QByteArray(8, '\0')
                    + uint32(24) + QByteArray("\\\0\\\0s\0", 6)))),
            std::nullopt, Field::None, {}},
        {"suffixUnterminated",
            write(rawLinkInfo(linkInfoBlock(2, 0, 28, 54,
                uint32(20) + uint32(2) + uint32(20) + QByteArray(8, '\0') + "\\\\s\\x"
                    + QByteArray(1, '\0') + "dir"))),
            std::nullopt, Field::None, {}},
        {"unicodeStringData", write(withStrings(true)), u"%HOME%\\a.txt"_s,
            Field::EnvironmentTargetUnicode, {kOverwriting}},
        {"ansiStringData", write(withStrings(false)), u"%HOME%\\a.txt"_s,
            Field::EnvironmentTargetUnicode, {kOverwriting}},
        {"environmentStartingWithZero",
            write(networkLink(kPreferEnvironmentPath, {environmentBlock("C:\\x", QString())})),
            kNetworkTarget, Field::CommonPathSuffix, {}},
        {"environmentWithoutTerminatorTakenWhole",
            write(networkLink(kPreferEnvironmentPath,
                {environmentBlock("", QString(260, QLatin1Char('x')) + u"beyond"_s)})),
            QString(260, QLatin1Char('x')), Field::EnvironmentTargetUnicode, {kOverwriting}},
        {"environmentBlockCutShortIgnored",
            write(networkLink(kPreferEnvironmentPath,
                {extraDataBlock(0xA0000001, environment("C:\\e").mid(8, 779))})),
            kNetworkTarget, Field::CommonPathSuffix, {}},
        {"blockSizeBelowEightTakesRest",
            write(networkLink(kPreferEnvironmentPath,
                {uint32(5) + uint32(0xA0000002), environment("C:\\hidden.txt")})),
            kNetworkTarget, Field::CommonPathSuffix, {}},
        {"lastEnvironmentBlockWinsLoggedOnce",
            write(networkLink(kPreferEnvironmentPath,
                {extraDataBlock(0xA0000003, QByteArray(88, 'd')), environment("C:\\first.txt"),
                    environment("C:\\last.txt")})),
            u"C:\\last.txt"_s, Field::EnvironmentTargetUnicode, {kOverwriting}},
        {"extraDataEndsAtEndOfFile",
            write(with(networkLink(kPreferEnvironmentPath, {environment("C:\\end.txt")}),
                &ShellLinkContents::terminalBlock, false)),
            u"C:\\end.txt"_s, Field::EnvironmentTargetUnicode, {kOverwriting}},
        {"manyBlocksAgainstLongPath", manyBlocksAgainstLongPath(), QString(1 << 20, QChar(0xE9)),
            Field::LocalBasePath, {kFixing}}};
    for (const TargetCase& row : cases) {
        SCOPED_TRACE(row.name);
        LogCapture log;
        const std::unique_ptr<HVWindowsShortcut> shortcut = read(row.file);
        ASSERT_TRUE(shortcut);
        EXPECT_EQ(shortcut->fullFilename(), row.fullFilename);
        EXPECT_EQ(shortcut->provenance().path, row.path);
        EXPECT_EQ(log.lines(), row.log);
    }
}

TEST(ShellLinkReader, RefusesWhatIsNoShortcut)
{
    ShellLinkContents wrongHeader = networkLink();
    wrongHeader.headerSize = 77;
    ShellLinkContents noLinkInfo;
    noLinkInfo.hasLinkInfo = false;
    const std::pair<ShellLinkContents, QStringList> refused[] = {{wrongHeader, {}},
        {noLinkInfo, {u"Is no file or directory"_s}},
        {rawLinkInfo(uint32(0) + QByteArray(40, '\0')), {}},
        {rawLinkInfo(uint32(4) + QByteArray(40, '\0')), {}},
        {rawLinkInfo(uint32(27) + QByteArray(40, '\0')), {}}};
    for (const auto& [contents, expectedLog] : refused) {
        LogCapture log;
        EXPECT_FALSE(read(write(contents)));
        EXPECT_EQ(log.lines(), expectedLog);
    }
}

// Cut short anywhere before the target is whole, the file is refused; cut short after
// it, the target stands. Under the sanitizers this also proves no read past the end.
TEST(ShellLinkReader, TruncatedFileIsRefusedOrKeepsItsTarget)
{
    ShellLinkContents contents = networkLink(0, {environment("\\\\server\\share\\dir\\file.doc")});
    contents.idList = QByteArray(30, 'i');
    contents.name = u"name"_s;
    contents.arguments = u"--x"_s;
    const QByteArray whole = write(contents);
    const qsizetype targetEnd = whole.indexOf(QByteArray("file.doc")) + 9;
    for (qsizetype length = 0; length < whole.size(); ++length) {
        const std::unique_ptr<HVWindowsShortcut> shortcut = read(whole.first(length));
        ASSERT_EQ(bool(shortcut), length >= targetEnd) << length;
        if (shortcut) {
            EXPECT_EQ(shortcut->fullFilename(), kNetworkTarget) << length;
        }
    }
}

// Read from a file, a link reads like its bytes, also past the first read; bytes after the
// TerminalBlock are never read, a last block that runs to the end is read up to the limit.
TEST(ShellLinkReader, ReadsAFileLikeItsBytesUpToTheSizeLimit)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"a.lnk"_s);
    const auto written = [&](const ShellLinkContents& contents, qint64 size = -1) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(write(contents));
        EXPECT_TRUE(size < 0 || file.resize(size));
        return path;
    };
    const DriveMappingList mappings {KTDriveMapping(u"X:"_s, u"//s/d"_s)};
    const auto small = HVWindowsShortcut::initWithContentsOfFile(written(networkLink()), mappings);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->fullFilename(), kNetworkTarget);
    EXPECT_EQ(small->driveMapping().value_or(DriveMappingList()).size(), 1);
    ShellLinkContents far = networkLink(kPreferEnvironmentPath,
        {extraDataBlock(0xA0000003, QByteArray(200000, 'd')), environment("C:\\far.txt")});
    for (const bool terminalBlock : {true, false}) {
        far.terminalBlock = terminalBlock;
        const auto shortcut = HVWindowsShortcut::initWithContentsOfFile(written(far));
        ASSERT_TRUE(shortcut);
        EXPECT_EQ(shortcut->fullFilename(), u"C:\\far.txt"_s);
    }
    ShellLinkContents endless = networkLink(0, {uint32(0xFFFFFFF0) + uint32(0xA0000003)});
    endless.terminalBlock = false;
    const qint64 limit = HVWindowsShortcut::kMaxFileSize;
    EXPECT_TRUE(HVWindowsShortcut::initWithContentsOfFile(written(endless, limit)));
    LogCapture log;
    // The reason comes from the one attempt to read: no second open to find it.
    const std::pair<QString, QString> refusals[] = {
        {written(endless, limit + 1), u"too large for a shortcut (over 16 MiB)"_s},
        {folder.filePath(u"no"_s), u"no such file"_s},
        {folder.path(), u"a folder, not a shortcut"_s},
        {u"/dev/zero"_s, u"not a Windows shortcut"_s},
    };
    for (const auto& [file, reason] : refusals) {
        const auto shortcut = HVWindowsShortcut::readFile(file);
        ASSERT_FALSE(shortcut) << file.toStdString();
        EXPECT_EQ(shortcut.reason(), reason);
        EXPECT_FALSE(HVWindowsShortcut::initWithContentsOfFile(file));
    }
    EXPECT_TRUE(log.lines().isEmpty());
}

constexpr quint32 kLatin1 = StringEncoding::Latin1;
constexpr quint32 kUtf16 = StringEncoding::Utf16LE;
constexpr quint32 kNone = StringEncoding::None;

ShellLinkContents network(const QByteArray& share, const QByteArray& suffix)
{
    ShellLinkContents contents;
    if (!share.isEmpty())
        contents.netName = share;
    if (!suffix.isEmpty())
        contents.commonPathSuffix = suffix;
    return contents;
}

struct RepairCase {
    const char* name;
    ShellLinkContents contents;
    std::vector<const char*> hints; // UTF-8, one environment block each, in file order
    quint32 pathEncoding;
    quint32 shareEncoding;
    const char* fullFilename; // UTF-8; null for none
};

const QByteArray kCyrillicShare = "\\\\SRV\\\xc4\xc0\xcd\xcd\xdb\xc5";
const QByteArray kCyrillicFile = "\xf4\xe0\xe9\xeb.txt";
const char* const kCyrillicHint = "\\\\srv\\данные\\файл.txt";

// The first candidate whose decoding spells the hint's tail wins; the blocks are read in
// turn, the log says once what they left.
TEST(ShellLinkReader, RepairTakesTheFirstCodePageSpellingTheHintsTail)
{
    const RepairCase cases[] = {
        {"ascii", localLink("C:\\a.txt"), {"C:\\a.txt"}, 1252, kNone, "C:\\a.txt"},
        {"western", localLink("C:\\caf\xe9\x80.txt"), {"C:\\café€.txt"}, 1252, kNone,
            "C:\\café€.txt"},
        {"cyrillic", localLink("C:\\\xcf\xf0\xe8\xe2\xe5\xf2"), {"C:\\Привет"}, 1251, kNone,
            "C:\\Привет"},
        {"japanese", localLink("C:\\\x82\xa0.txt"), {"C:\\あ.txt"}, 932, kNone, "C:\\あ.txt"},
        {"dosCyrillic", localLink("C:\\\x8f\xe0\xa8\xa2\xa5\xe2"), {"C:\\Привет"}, 866, kNone,
            "C:\\Привет"},
        {"decomposedHint", localLink("C:\\caf\xe9"), {"C:\\cafe\xcc\x81"}, 1252, kNone, "C:\\café"},
        {"caseDiffers", localLink("C:\\caf\xe9"), {"C:\\CAFÉ"}, kLatin1, kNone, "C:\\café"},
        {"pathLongerThanHint", localLink("C:\\dir\\a.txt"), {"a.txt"}, kLatin1, kNone,
            "C:\\dir\\a.txt"},
        {"emptyPath", localLink(""), {"C:\\x"}, 1252, kNone, ""},
        {"laterMismatchKeepsRepair", localLink("C:\\caf\xe9"), {"C:\\café", "D:\\other"}, 1252,
            kNone, "C:\\café"},
        {"lastMatchWins", localLink("C:\\\xcf\xf0\xe8\xe2\xe5\xf2"), {"C:\\Привет", "C:\\Ïðèâåò"},
            1252, kNone, "C:\\Ïðèâåò"},
        {"eightBitShareTakesPathEncoding", network(kCyrillicShare, kCyrillicFile), {kCyrillicHint},
            1251, 1251, "\\\\SRV\\ДАННЫЕ/файл.txt"},
        {"unicodeShareKeepsItsEncoding",
            with(network({}, kCyrillicFile), &ShellLinkContents::netNameUnicode,
                u"\\\\SRV\\ДАННЫЕ"_s),
            {kCyrillicHint}, 1251, kUtf16, "\\\\SRV\\ДАННЫЕ/файл.txt"},
        {"shareUndefinedInPathEncodingKeepsLatin1", network("\\\\SRV\\\x81", "caf\xe9"),
            {"\\\\srv\\x\\café"}, 1252, kLatin1, "\\\\SRV\\\u0081/café"},
        {"unicodePathIsLeftAlone",
            with(network("\\\\SRV\\S", {}), &ShellLinkContents::commonPathSuffixUnicode, u"cafe"_s),
            {"\\\\srv\\s\\café"}, kUtf16, kLatin1, "\\\\SRV\\S/cafe"},
        {"noPathBytesLeavesNoTarget", ShellLinkContents {}, {"%HOMESHARE%\\a.doc"}, kNone, kNone,
            nullptr}};
    for (const RepairCase& row : cases) {
        SCOPED_TRACE(row.name);
        ShellLinkContents contents = row.contents;
        for (const char* hint : row.hints)
            contents.extraDataBlocks << environmentBlock("", QString::fromUtf8(hint));
        LogCapture log;
        const auto shortcut = read(write(contents));
        ASSERT_TRUE(shortcut);
        EXPECT_EQ(shortcut->pathEncoding(), row.pathEncoding);
        EXPECT_EQ(shortcut->shareEncoding(), row.shareEncoding);
        const char* full = row.fullFilename;
        EXPECT_EQ(
            shortcut->fullFilename(), full ? std::optional(QString::fromUtf8(full)) : std::nullopt);
        EXPECT_EQ(shortcut->provenance().environmentTarget, QString::fromUtf8(row.hints.back()));
        QStringList expectedLog {kFixing};
        if (const quint32 found = row.pathEncoding;
            found != kLatin1 && found != kUtf16 && found != kNone)
            expectedLog << u"Correct Encoding is: "_s
                    + EncodingRepair::encodingName(row.pathEncoding);
        EXPECT_EQ(log.lines(), expectedLog);
    }
}

TEST(EncodingRepairDecoding, IsStrictInEveryCandidateAndKeepsAscii)
{
    const EncodingRepair& repair = EncodingRepair::shared();
    for (const quint32 encoding : repair.candidates())
        EXPECT_EQ(repair.decode("dir\\file.txt", encoding), u"dir\\file.txt"_s) << encoding;
    EXPECT_FALSE(repair.decode("\x81", 1252));
    EXPECT_FALSE(repair.decode("\x82", 932)); // a lead byte without its trail byte
    EXPECT_EQ(repair.decode("\x81", kLatin1), QString(QChar(0x81)));
    EXPECT_EQ(repair.decode("\x82\xa0", 932), QString::fromUtf8("あ"));
    EXPECT_FALSE(repair.decode("a", 99999));
}

}
