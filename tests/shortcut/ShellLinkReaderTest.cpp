#include "shortcut/HVWindowsShortcut.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Field = HVReadingProvenance::Field;

namespace {

std::unique_ptr<HVWindowsShortcut> read(const ShellLinkContents& contents)
{
    return HVWindowsShortcut::initWithContentsOfData(ShellLinkWriter::write(contents));
}

ShellLinkContents networkLink()
{
    ShellLinkContents contents;
    contents.netName = "\\\\SERVER\\SHARE";
    contents.commonPathSuffix = "dir\\file.doc";
    return contents;
}

QString fullFilenameOf(const ShellLinkContents& contents)
{
    const std::unique_ptr<HVWindowsShortcut> shortcut = read(contents);
    return shortcut && shortcut->fullFilename() ? *shortcut->fullFilename()
                                                : QStringLiteral("(none)");
}

}

TEST(ShellLinkReader, LocalTargetIsTheLocalBasePathInLatin1)
{
    ShellLinkContents contents;
    contents.localBasePath = "X:\\dir\\file.txt";
    const std::unique_ptr<HVWindowsShortcut> shortcut = read(contents);
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->fullFilename(), QStringLiteral("X:\\dir\\file.txt"));
    EXPECT_EQ(shortcut->pathData(), QByteArray("X:\\dir\\file.txt"));
    EXPECT_FALSE(shortcut->shareData());
    EXPECT_EQ(shortcut->pathEncoding(), HVStringEncoding::Latin1);
    EXPECT_EQ(shortcut->provenance().path, Field::LocalBasePath);
    EXPECT_EQ(shortcut->mountMethod(), QStringLiteral("smb"));
    EXPECT_FALSE(shortcut->mappingEnabled());
}

TEST(ShellLinkReader, NetworkTargetReplacesLocalOne)
{
    ShellLinkContents contents = networkLink();
    contents.localBasePath = "Z:\\dir\\file.doc";
    const std::unique_ptr<HVWindowsShortcut> shortcut = read(contents);
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->fullFilename(), QStringLiteral("\\\\SERVER\\SHARE/dir\\file.doc"));
    EXPECT_EQ(shortcut->shareData(), QByteArray("\\\\SERVER\\SHARE"));
    EXPECT_EQ(shortcut->shareEncoding(), HVStringEncoding::Latin1);
    EXPECT_EQ(shortcut->provenance().share, Field::NetName);
    EXPECT_EQ(shortcut->provenance().path, Field::CommonPathSuffix);
}

TEST(ShellLinkReader, LinkInfoNamingNoTargetReadsWithoutFullFilename)
{
    const std::unique_ptr<HVWindowsShortcut> shortcut = read(ShellLinkContents {});
    ASSERT_TRUE(shortcut);
    EXPECT_FALSE(shortcut->fullFilename());
    EXPECT_FALSE(shortcut->pathData());
}

TEST(ShellLinkReader, EmptyPathSuffixLeavesTrailingSlash)
{
    ShellLinkContents contents = networkLink();
    contents.commonPathSuffix = "";
    EXPECT_EQ(fullFilenameOf(contents), QStringLiteral("\\\\SERVER\\SHARE/"));
}

TEST(ShellLinkReader, EightBitStringsReadAsLatin1)
{
    ShellLinkContents contents;
    QByteArray high;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        high += char(byte);
    contents.localBasePath = high;
    const QString text = fullFilenameOf(contents);
    ASSERT_EQ(text.size(), 128);
    for (int index = 0; index < 128; ++index)
        EXPECT_EQ(text[index].unicode(), 0x80 + index);
}

struct UnicodeFieldCase {
    const char* name;
    quint32 netNameOffset;
    quint32 linkInfoHeaderSize;
    const char* expected;
    Field share;
    Field path;
};

inline void PrintTo(const UnicodeFieldCase& value, std::ostream* out)
{
    *out << value.name;
}

class UnicodeFieldChoice : public testing::TestWithParam<UnicodeFieldCase> { };

TEST_P(UnicodeFieldChoice, FollowsOffsetAndHeaderSize)
{
    ShellLinkContents contents;
    contents.netName = "\\\\ANSI\\S";
    contents.commonPathSuffix = "ansi.txt";
    contents.commonPathSuffixUnicode = QStringLiteral("unicodé.txt");
    if (GetParam().netNameOffset > 0x14)
        contents.netNameUnicode = QStringLiteral("\\\\UNICODÉ\\S");
    contents.netNameOffset = GetParam().netNameOffset;
    contents.linkInfoHeaderSize = GetParam().linkInfoHeaderSize;
    const std::unique_ptr<HVWindowsShortcut> shortcut = read(contents);
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->fullFilename(), QString::fromUtf8(GetParam().expected));
    EXPECT_EQ(shortcut->provenance().share, GetParam().share);
    EXPECT_EQ(shortcut->provenance().path, GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(ShellLinkReader, UnicodeFieldChoice,
    testing::Values(UnicodeFieldCase {"netName0x14", 0x14, 0x24, "\\\\ANSI\\S/unicodé.txt",
                        Field::NetName, Field::CommonPathSuffixUnicode},
        UnicodeFieldCase {"netName0x15", 0x15, 0x24, "\\\\UNICODÉ\\S/unicodé.txt",
            Field::NetNameUnicode, Field::CommonPathSuffixUnicode},
        UnicodeFieldCase {"header0x23", 0x14, 0x23, "\\\\ANSI\\S/ansi.txt", Field::NetName,
            Field::CommonPathSuffix},
        UnicodeFieldCase {"header0x24", 0x1C, 0x24, "\\\\UNICODÉ\\S/unicodé.txt",
            Field::NetNameUnicode, Field::CommonPathSuffixUnicode}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ShellLinkReader, StringDataCountsCharacters)
{
    for (const bool unicode : {true, false}) {
        ShellLinkContents contents;
        contents.localBasePath = "C:\\a.txt";
        contents.extraLinkFlags = ShellLinkWriter::kPreferEnvironmentPath;
        contents.unicodeStrings = unicode;
        contents.name = QStringLiteral("hello");
        contents.workingDir = QStringLiteral("C:\\");
        contents.iconLocation = QStringLiteral("%SystemRoot%\\icon.dll");
        contents.extraDataBlocks = {
            ShellLinkWriter::environmentBlock("", QStringLiteral("%HOME%\\a.txt"))};
        EXPECT_EQ(fullFilenameOf(contents), QStringLiteral("%HOME%\\a.txt"))
            << "unicode " << unicode;
    }
}

TEST(ShellLinkReader, PreferredEnvironmentPathReplacesTargetVerbatim)
{
    ShellLinkContents contents = networkLink();
    contents.extraLinkFlags = ShellLinkWriter::kPreferEnvironmentPath;
    contents.extraDataBlocks = {
        ShellLinkWriter::environmentBlock("", QStringLiteral("%HOMESHARE%\\dir\\file.doc"))};
    LogCapture log;
    const std::unique_ptr<HVWindowsShortcut> shortcut = read(contents);
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->fullFilename(), QStringLiteral("%HOMESHARE%\\dir\\file.doc"));
    EXPECT_EQ(shortcut->provenance().path, Field::EnvironmentTargetUnicode);
    EXPECT_EQ(log.lines(),
        QStringList {QStringLiteral("Overwriting path with data from EnvironmentDataBlock")});
}

TEST(ShellLinkReader, EnvironmentTargetStartingWithZeroChangesNothing)
{
    ShellLinkContents contents = networkLink();
    contents.extraLinkFlags = ShellLinkWriter::kPreferEnvironmentPath;
    contents.extraDataBlocks = {ShellLinkWriter::environmentBlock("C:\\x", QString())};
    LogCapture log;
    EXPECT_EQ(fullFilenameOf(contents), QStringLiteral("\\\\SERVER\\SHARE/dir\\file.doc"));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(ShellLinkReader, EnvironmentTargetWithoutTerminatorIsTakenWhole)
{
    ShellLinkContents contents = networkLink();
    contents.extraLinkFlags = ShellLinkWriter::kPreferEnvironmentPath;
    const QString target = QStringLiteral("\\\\srv\\share\\") + QString(248, QLatin1Char('x'));
    ASSERT_EQ(target.size(), 260);
    contents.extraDataBlocks = {
        ShellLinkWriter::environmentBlock("", target + QStringLiteral("beyond"))};
    EXPECT_EQ(fullFilenameOf(contents), target);
}

TEST(ShellLinkReader, EnvironmentBlockWithoutBothTargetFieldsIsIgnored)
{
    ShellLinkContents contents = networkLink();
    contents.extraLinkFlags = ShellLinkWriter::kPreferEnvironmentPath;
    const QByteArray whole = ShellLinkWriter::environmentBlock("", QStringLiteral("C:\\env.txt"));
    const QByteArray data = whole.mid(8, 779);
    contents.extraDataBlocks = {ShellLinkWriter::extraDataBlock(0xA0000001, data)};
    LogCapture log;
    EXPECT_EQ(fullFilenameOf(contents), QStringLiteral("\\\\SERVER\\SHARE/dir\\file.doc"));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(ShellLinkReader, ExtraDataEndsAtEndOfFileWithoutTerminalBlock)
{
    ShellLinkContents contents = networkLink();
    contents.extraLinkFlags = ShellLinkWriter::kPreferEnvironmentPath;
    contents.terminalBlock = false;
    contents.extraDataBlocks = {ShellLinkWriter::extraDataBlock(0xA0000003, QByteArray(88, 'd')),
        ShellLinkWriter::environmentBlock("", QStringLiteral("C:\\second.txt"))};
    EXPECT_EQ(fullFilenameOf(contents), QStringLiteral("C:\\second.txt"));
}

TEST(ShellLinkReader, BlockSizeBelowEightTakesRestOfFile)
{
    ShellLinkContents contents = networkLink();
    contents.extraLinkFlags = ShellLinkWriter::kPreferEnvironmentPath;
    contents.extraDataBlocks = {ShellLinkWriter::uint32(5) + ShellLinkWriter::uint32(0xA0000002),
        ShellLinkWriter::environmentBlock("", QStringLiteral("C:\\hidden.txt"))};
    EXPECT_EQ(fullFilenameOf(contents), QStringLiteral("\\\\SERVER\\SHARE/dir\\file.doc"));
}

TEST(ShellLinkReader, EveryEnvironmentBlockIsHandledInTurn)
{
    ShellLinkContents contents = networkLink();
    contents.extraLinkFlags = ShellLinkWriter::kPreferEnvironmentPath;
    contents.extraDataBlocks = {
        ShellLinkWriter::environmentBlock("", QStringLiteral("C:\\first.txt")),
        ShellLinkWriter::environmentBlock("", QStringLiteral("C:\\last.txt"))};
    EXPECT_EQ(fullFilenameOf(contents), QStringLiteral("C:\\last.txt"));
}

TEST(ShellLinkReader, RefusesWrongHeaderSizeSilently)
{
    ShellLinkContents contents = networkLink();
    contents.headerSize = 77;
    LogCapture log;
    EXPECT_FALSE(read(contents));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(ShellLinkReader, RefusesLinkWithoutLinkInfo)
{
    ShellLinkContents contents;
    contents.hasLinkInfo = false;
    LogCapture log;
    EXPECT_FALSE(read(contents));
    EXPECT_EQ(log.lines(), QStringList {QStringLiteral("Is no file or directory")});
}

TEST(ShellLinkReader, RefusesLinkInfoTooSmallForItsFields)
{
    ShellLinkContents contents;
    for (const quint32 size : {0u, 3u, 4u, 27u}) {
        contents.rawLinkInfo = ShellLinkWriter::uint32(size) + QByteArray(40, '\0');
        EXPECT_FALSE(read(contents)) << size;
    }
}

// Cut short anywhere before the target is whole, the file is refused; cut short after
// it, the target stands. Under the sanitizers this also proves no read past the end.
TEST(ShellLinkReader, TruncatedFileIsRefusedOrKeepsItsTarget)
{
    ShellLinkContents contents = networkLink();
    contents.idList = QByteArray(30, 'i');
    contents.name = QStringLiteral("name");
    contents.arguments = QStringLiteral("--x");
    contents.extraDataBlocks = {
        ShellLinkWriter::environmentBlock("", QStringLiteral("\\\\server\\share\\dir\\file.doc"))};
    const QByteArray whole = ShellLinkWriter::write(contents);
    const qsizetype targetEnd = whole.indexOf(QByteArray("file.doc")) + 9;
    for (qsizetype length = 0; length < whole.size(); ++length) {
        const std::unique_ptr<HVWindowsShortcut> shortcut =
            HVWindowsShortcut::initWithContentsOfData(whole.first(length));
        if (length < targetEnd) {
            EXPECT_FALSE(shortcut) << length;
        } else {
            ASSERT_TRUE(shortcut) << length;
            EXPECT_EQ(shortcut->fullFilename(), QStringLiteral("\\\\SERVER\\SHARE/dir\\file.doc"));
        }
    }
}

struct BrokenLinkInfoCase {
    const char* name;
    QByteArray block;
};

inline void PrintTo(const BrokenLinkInfoCase& value, std::ostream* out)
{
    *out << value.name;
}

QByteArray linkInfoBlock(quint32 flags, quint32 localOffset, quint32 networkOffset,
    quint32 suffixOffset, const QByteArray& tail)
{
    using ShellLinkWriter::uint32;
    const QByteArray body = uint32(0x1C) + uint32(flags) + uint32(0) + uint32(localOffset)
        + uint32(networkOffset) + uint32(suffixOffset) + tail;
    return uint32(quint32(body.size() + 4)) + body;
}

class BrokenLinkInfo : public testing::TestWithParam<BrokenLinkInfoCase> { };

// A string whose offset lies outside the block, or without a terminator inside it,
// is absent; the link still reads, without that target.
TEST_P(BrokenLinkInfo, ReadsWithoutTheBrokenTarget)
{
    ShellLinkContents contents;
    contents.rawLinkInfo = GetParam().block;
    const std::unique_ptr<HVWindowsShortcut> shortcut = read(contents);
    ASSERT_TRUE(shortcut);
    EXPECT_FALSE(shortcut->fullFilename());
}

INSTANTIATE_TEST_SUITE_P(ShellLinkReader, BrokenLinkInfo,
    testing::Values(
        BrokenLinkInfoCase {"localOffsetPastBlock", linkInfoBlock(1, 0xFFFFFFF0, 0, 0, "C:\\a\0")},
        BrokenLinkInfoCase {"localPathUnterminated", linkInfoBlock(1, 28, 0, 0, "C:\\a.txt")},
        BrokenLinkInfoCase {
            "networkOffsetPastBlock", linkInfoBlock(2, 0, 0x7FFFFFFF, 28, QByteArray(1, '\0'))},
        BrokenLinkInfoCase {"netNameOffsetPastBlock",
            linkInfoBlock(2, 0, 28, 48,
                ShellLinkWriter::uint32(20) + ShellLinkWriter::uint32(2)
                    + ShellLinkWriter::uint32(0xFFFFFFFF) + QByteArray(8, '\0')
                    + QByteArray(1, '\0'))},
        BrokenLinkInfoCase {"unicodeNetNameUnterminated",
            linkInfoBlock(2, 0, 29, 28,
                QByteArray(1, '\0') + ShellLinkWriter::uint32(28) + ShellLinkWriter::uint32(2)
                    + ShellLinkWriter::uint32(0x1C) + QByteArray(8, '\0')
                    + ShellLinkWriter::uint32(24) + QByteArray("\\\0\\\0s\0", 6))},
        BrokenLinkInfoCase {"suffixUnterminated",
            linkInfoBlock(2, 0, 28, 54,
                ShellLinkWriter::uint32(20) + ShellLinkWriter::uint32(2)
                    + ShellLinkWriter::uint32(20) + QByteArray(8, '\0') + "\\\\s\\x"
                    + QByteArray(1, '\0') + "dir")}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ShellLinkReader, BrokenNetworkTargetLeavesLocalOne)
{
    ShellLinkContents contents;
    contents.rawLinkInfo = linkInfoBlock(3, 28, 0x7FFFFFFF, 0, QByteArray("C:\\local.txt", 13));
    EXPECT_EQ(fullFilenameOf(contents), QStringLiteral("C:\\local.txt"));
}

TEST(ShellLinkReader, FileReadsLikeItsBytes)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("a.lnk"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ShellLinkWriter::write(networkLink()));
    file.close();
    KTDriveMappingList mappings {
        KTDriveMapping(QStringLiteral("X:"), QStringLiteral("\\\\srv\\data"))};
    const std::unique_ptr<HVWindowsShortcut> shortcut =
        HVWindowsShortcut::initWithContentsOfFile(path, mappings);
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->fullFilename(), QStringLiteral("\\\\SERVER\\SHARE/dir\\file.doc"));
    ASSERT_TRUE(shortcut->driveMapping());
    EXPECT_EQ(shortcut->driveMapping()->size(), 1);
}

TEST(ShellLinkReader, RefusesWhatIsNoReadableFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    LogCapture log;
    EXPECT_FALSE(
        HVWindowsShortcut::initWithContentsOfFile(folder.filePath(QStringLiteral("missing.lnk"))));
    EXPECT_FALSE(HVWindowsShortcut::initWithContentsOfFile(folder.path()));
    EXPECT_FALSE(HVWindowsShortcut::initWithContentsOfFile(QStringLiteral("/dev/zero")));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(ShellLinkReader, ReadsBlocksBeyondFirstRead)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ShellLinkContents contents = networkLink();
    contents.extraLinkFlags = ShellLinkWriter::kPreferEnvironmentPath;
    contents.extraDataBlocks = {
        ShellLinkWriter::extraDataBlock(0xA0000003, QByteArray(200000, 'd')),
        ShellLinkWriter::environmentBlock("", QStringLiteral("C:\\far.txt"))};
    for (const bool terminalBlock : {true, false}) {
        contents.terminalBlock = terminalBlock;
        const QString path = folder.filePath(QStringLiteral("far.lnk"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ShellLinkWriter::write(contents));
        file.close();
        const auto shortcut = HVWindowsShortcut::initWithContentsOfFile(path);
        ASSERT_TRUE(shortcut);
        EXPECT_EQ(shortcut->fullFilename(), QStringLiteral("C:\\far.txt"));
    }
}

// Bytes after the TerminalBlock are never read; a last block that runs to the end of
// the file is read up to the size limit.
TEST(ShellLinkReader, RefusesFileLargerThanLimit)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("large.lnk"));
    ShellLinkContents contents = networkLink();
    contents.terminalBlock = false;
    contents.extraDataBlocks = {
        ShellLinkWriter::uint32(0xFFFFFFF0) + ShellLinkWriter::uint32(0xA0000003)};
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ShellLinkWriter::write(contents));
    ASSERT_TRUE(file.resize(HVWindowsShortcut::kMaxFileSize));
    file.close();
    EXPECT_TRUE(HVWindowsShortcut::initWithContentsOfFile(path));
    ASSERT_TRUE(QFile::resize(path, HVWindowsShortcut::kMaxFileSize + 1));
    EXPECT_FALSE(HVWindowsShortcut::initWithContentsOfFile(path));
}
