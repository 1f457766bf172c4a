#include "shortcut/HVEncodingRepair.h"
#include "shortcut/HVWindowsShortcut.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Field = HVReadingProvenance::Field;
using namespace ShellLinkWriter;

namespace {

const QString kNetworkTarget = QStringLiteral("\\\\SERVER\\SHARE/dir\\file.doc");
const QString kFixing = QStringLiteral("Fixing path with data from EnvironmentDataBlock");
const QString kOverwriting = QStringLiteral("Overwriting path with data from EnvironmentDataBlock");

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
    contents.commonPathSuffixUnicode = QStringLiteral("unicodé.txt");
    if (netNameOffset > 0x14)
        contents.netNameUnicode = QStringLiteral("\\\\UNICODÉ\\S");
    contents.netNameOffset = netNameOffset;
    contents.linkInfoHeaderSize = headerSize;
    return contents;
}

ShellLinkContents withStrings(bool unicode)
{
    ShellLinkContents contents = localLink("C:\\a.txt", {environment("%HOME%\\a.txt")});
    contents.extraLinkFlags = kPreferEnvironmentPath;
    contents.unicodeStrings = unicode;
    contents.name = QStringLiteral("hello");
    contents.workingDir = QStringLiteral("C:\\");
    contents.iconLocation = QStringLiteral("%SystemRoot%\\icon.dll");
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

void PrintTo(const TargetCase& row, std::ostream* out)
{
    *out << row.name;
}

class ShellLinkTarget : public testing::TestWithParam<TargetCase> { };

TEST_P(ShellLinkTarget, IsReadFromTheFieldThatCounts)
{
    LogCapture log;
    const std::unique_ptr<HVWindowsShortcut> shortcut = read(GetParam().file);
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->fullFilename(), GetParam().fullFilename);
    EXPECT_EQ(shortcut->provenance().path, GetParam().path);
    EXPECT_EQ(log.lines(), GetParam().log);
}

const QString kUnicodeShare = QStringLiteral("\\\\UNICODÉ\\S/unicodé.txt");

INSTANTIATE_TEST_SUITE_P(ShellLinkReader, ShellLinkTarget,
    testing::Values(TargetCase {"local", write(localLink("X:\\dir\\file.txt")),
                        QStringLiteral("X:\\dir\\file.txt"), Field::LocalBasePath, {}},
        TargetCase {"eightBitIsLatin1", write(localLink(highBytes())),
            QString::fromLatin1(highBytes()), Field::LocalBasePath, {}},
        TargetCase {"networkReplacesLocal", write([] {
                        ShellLinkContents contents = networkLink();
                        contents.localBasePath = "Z:\\dir\\file.doc";
                        return contents;
                    }()),
            kNetworkTarget, Field::CommonPathSuffix, {}},
        TargetCase {"noTarget", write(ShellLinkContents {}), std::nullopt, Field::None, {}},
        TargetCase {"emptySuffixKeepsSlash", write([] {
                        ShellLinkContents contents = networkLink();
                        contents.commonPathSuffix = "";
                        return contents;
                    }()),
            QStringLiteral("\\\\SERVER\\SHARE/"), Field::CommonPathSuffix, {}},
        TargetCase {"netName0x14", write(unicodeFields(0x14, 0x24)),
            QStringLiteral("\\\\ANSI\\S/unicodé.txt"), Field::CommonPathSuffixUnicode, {}},
        TargetCase {"netName0x15", write(unicodeFields(0x15, 0x24)), kUnicodeShare,
            Field::CommonPathSuffixUnicode, {}},
        TargetCase {"header0x23", write(unicodeFields(0x14, 0x23)),
            QStringLiteral("\\\\ANSI\\S/ansi.txt"), Field::CommonPathSuffix, {}},
        TargetCase {"header0x24", write(unicodeFields(0x1C, 0x24)), kUnicodeShare,
            Field::CommonPathSuffixUnicode, {}},
        // A string whose offset lies outside the block, or without a terminator inside
        // it, is absent; the link still reads, without that target.
        TargetCase {"localOffsetPastBlock",
            write(rawLinkInfo(linkInfoBlock(1, 0xFFFFFFF0, 0, 0, "C:\\a\0"))), std::nullopt,
            Field::None, {}},
        TargetCase {"localPathUnterminated",
            write(rawLinkInfo(linkInfoBlock(1, 28, 0, 0, "C:\\a.txt"))), std::nullopt, Field::None,
            {}},
        TargetCase {"networkOffsetPastBlockLeavesLocal",
            write(rawLinkInfo(linkInfoBlock(3, 28, 0x7FFFFFFF, 0, QByteArray("C:\\l.txt", 9)))),
            QStringLiteral("C:\\l.txt"), Field::LocalBasePath, {}},
        TargetCase {"netNameOffsetPastBlock",
            write(rawLinkInfo(linkInfoBlock(
                2, 0, 28, 48, uint32(20) + uint32(2) + uint32(0xFFFFFFFF) + QByteArray(9, '\0')))),
            std::nullopt, Field::None, {}},
        TargetCase {"unicodeNetNameUnterminated",
            write(rawLinkInfo(linkInfoBlock(2, 0, 29, 28,
                QByteArray(1, '\0') + uint32(28) + uint32(2) + uint32(0x1C) + QByteArray(8, '\0')
                    + uint32(24) + QByteArray("\\\0\\\0s\0", 6)))),
            std::nullopt, Field::None, {}},
        TargetCase {"suffixUnterminated",
            write(rawLinkInfo(linkInfoBlock(2, 0, 28, 54,
                uint32(20) + uint32(2) + uint32(20) + QByteArray(8, '\0') + "\\\\s\\x"
                    + QByteArray(1, '\0') + "dir"))),
            std::nullopt, Field::None, {}},
        TargetCase {"unicodeStringData", write(withStrings(true)), QStringLiteral("%HOME%\\a.txt"),
            Field::EnvironmentTargetUnicode, {kOverwriting}},
        TargetCase {"ansiStringData", write(withStrings(false)), QStringLiteral("%HOME%\\a.txt"),
            Field::EnvironmentTargetUnicode, {kOverwriting}},
        TargetCase {"environmentStartingWithZero",
            write(networkLink(kPreferEnvironmentPath, {environmentBlock("C:\\x", QString())})),
            kNetworkTarget, Field::CommonPathSuffix, {}},
        TargetCase {"environmentWithoutTerminatorTakenWhole",
            write(networkLink(kPreferEnvironmentPath,
                {environmentBlock("", QString(260, QLatin1Char('x')) + QStringLiteral("beyond"))})),
            QString(260, QLatin1Char('x')), Field::EnvironmentTargetUnicode, {kOverwriting}},
        TargetCase {"environmentBlockCutShortIgnored",
            write(networkLink(kPreferEnvironmentPath,
                {extraDataBlock(0xA0000001, environment("C:\\e").mid(8, 779))})),
            kNetworkTarget, Field::CommonPathSuffix, {}},
        TargetCase {"blockSizeBelowEightTakesRest",
            write(networkLink(kPreferEnvironmentPath,
                {uint32(5) + uint32(0xA0000002), environment("C:\\hidden.txt")})),
            kNetworkTarget, Field::CommonPathSuffix, {}},
        TargetCase {"lastEnvironmentBlockWinsLoggedOnce",
            write(networkLink(kPreferEnvironmentPath,
                {extraDataBlock(0xA0000003, QByteArray(88, 'd')), environment("C:\\first.txt"),
                    environment("C:\\last.txt")})),
            QStringLiteral("C:\\last.txt"), Field::EnvironmentTargetUnicode, {kOverwriting}},
        TargetCase {"manyBlocksAgainstLongPath", manyBlocksAgainstLongPath(),
            QString(1 << 20, QChar(0xE9)), Field::LocalBasePath, {kFixing}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShellLinkReader, ExtraDataEndsAtEndOfFileWithoutTerminalBlock)
{
    ShellLinkContents contents = networkLink(kPreferEnvironmentPath, {environment("C:\\end.txt")});
    contents.terminalBlock = false;
    EXPECT_EQ(read(write(contents))->fullFilename(), QStringLiteral("C:\\end.txt"));
}

TEST(ShellLinkReader, RefusesWhatIsNoShortcut)
{
    ShellLinkContents wrongHeader = networkLink();
    wrongHeader.headerSize = 77;
    ShellLinkContents noLinkInfo;
    noLinkInfo.hasLinkInfo = false;
    const std::pair<ShellLinkContents, QStringList> refused[] = {{wrongHeader, {}},
        {noLinkInfo, {QStringLiteral("Is no file or directory")}},
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
    contents.name = QStringLiteral("name");
    contents.arguments = QStringLiteral("--x");
    const QByteArray whole = write(contents);
    const qsizetype targetEnd = whole.indexOf(QByteArray("file.doc")) + 9;
    for (qsizetype length = 0; length < whole.size(); ++length) {
        const std::unique_ptr<HVWindowsShortcut> shortcut = read(whole.first(length));
        ASSERT_EQ(bool(shortcut), length >= targetEnd) << length;
        if (shortcut)
            EXPECT_EQ(shortcut->fullFilename(), kNetworkTarget) << length;
    }
}

class ShellLinkFile : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    QString written(const QByteArray& bytes, qint64 size = -1)
    {
        const QString path = m_folder.filePath(QStringLiteral("a.lnk"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        EXPECT_TRUE(size < 0 || file.resize(size));
        return path;
    }
    QTemporaryDir m_folder;
};

TEST_F(ShellLinkFile, ReadsLikeItsBytesAcrossTheFirstRead)
{
    const KTDriveMappingList mappings {
        KTDriveMapping(QStringLiteral("X:"), QStringLiteral("//s/d"))};
    const auto small =
        HVWindowsShortcut::initWithContentsOfFile(written(write(networkLink())), mappings);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->fullFilename(), kNetworkTarget);
    EXPECT_EQ(small->driveMapping().value_or(KTDriveMappingList()).size(), 1);
    ShellLinkContents far = networkLink(kPreferEnvironmentPath,
        {extraDataBlock(0xA0000003, QByteArray(200000, 'd')), environment("C:\\far.txt")});
    for (const bool terminalBlock : {true, false}) {
        far.terminalBlock = terminalBlock;
        const auto shortcut = HVWindowsShortcut::initWithContentsOfFile(written(write(far)));
        ASSERT_TRUE(shortcut);
        EXPECT_EQ(shortcut->fullFilename(), QStringLiteral("C:\\far.txt"));
    }
}

// Bytes after the TerminalBlock are never read; a last block that runs to the end of
// the file is read up to the size limit.
TEST_F(ShellLinkFile, RefusesWhatIsNoReadableFileOrLargerThanTheLimit)
{
    LogCapture log;
    EXPECT_FALSE(
        HVWindowsShortcut::initWithContentsOfFile(m_folder.filePath(QStringLiteral("no"))));
    EXPECT_FALSE(HVWindowsShortcut::initWithContentsOfFile(m_folder.path()));
    EXPECT_FALSE(HVWindowsShortcut::initWithContentsOfFile(QStringLiteral("/dev/zero")));
    EXPECT_TRUE(log.lines().isEmpty());
    ShellLinkContents contents = networkLink(0, {uint32(0xFFFFFFF0) + uint32(0xA0000003)});
    contents.terminalBlock = false;
    const qint64 limit = HVWindowsShortcut::kMaxFileSize;
    EXPECT_TRUE(HVWindowsShortcut::initWithContentsOfFile(written(write(contents), limit)));
    EXPECT_FALSE(HVWindowsShortcut::initWithContentsOfFile(written(write(contents), limit + 1)));
}

TEST(ShellLinkReader, DescribesTenFlagsShellItemIdFirst)
{
    EXPECT_EQ(HVLinkFlags((1u << 0) | (1u << 1) | (1u << 7) | (1u << 25)).description(),
        QStringLiteral("hasShellItemId: 1\nisFileOrDir: 1\nhasName: 0\nhasRelativePath: 0\n"
                       "hasWorkingDir: 0\nhasArguments: 0\nhasIconLocation: 0\nhasExpString: 0\n"
                       "isUnicode: 1\npreferEnvironmentPath: 1"));
}

}
