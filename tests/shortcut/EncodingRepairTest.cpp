#include "shortcut/HVEncodingRepair.h"
#include "shortcut/HVWindowsShortcut.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"

#include <gtest/gtest.h>

namespace {

constexpr quint32 kLatin1 = HVStringEncoding::Latin1;
constexpr quint32 kUtf16 = HVStringEncoding::Utf16LE;
constexpr quint32 kNone = HVStringEncoding::None;
const QString kFixing = QStringLiteral("Fixing path with data from EnvironmentDataBlock");

const HVEncodingRepair& repair()
{
    return HVEncodingRepair::shared();
}

ShellLinkContents network(const QByteArray& share, const QByteArray& suffix)
{
    ShellLinkContents contents;
    if (!share.isEmpty())
        contents.netName = share;
    if (!suffix.isEmpty())
        contents.commonPathSuffix = suffix;
    return contents;
}

ShellLinkContents local(const QByteArray& path)
{
    ShellLinkContents contents;
    contents.localBasePath = path;
    return contents;
}

template<typename Field, typename Value>
ShellLinkContents with(ShellLinkContents contents, Field ShellLinkContents::*field, Value value)
{
    contents.*field = value;
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

void PrintTo(const RepairCase& row, std::ostream* out)
{
    *out << row.name;
}

class EncodingRepair : public testing::TestWithParam<RepairCase> { };

// The first candidate whose decoding spells the hint's tail wins; the blocks are read in
// turn, the log says once what they left.
TEST_P(EncodingRepair, TakesTheFirstCodePageSpellingTheHintsTail)
{
    ShellLinkContents contents = GetParam().contents;
    for (const char* hint : GetParam().hints)
        contents.extraDataBlocks << ShellLinkWriter::environmentBlock("", QString::fromUtf8(hint));
    LogCapture log;
    const auto shortcut =
        HVWindowsShortcut::initWithContentsOfData(ShellLinkWriter::write(contents));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->pathEncoding(), GetParam().pathEncoding);
    EXPECT_EQ(shortcut->shareEncoding(), GetParam().shareEncoding);
    const char* full = GetParam().fullFilename;
    EXPECT_EQ(
        shortcut->fullFilename(), full ? std::optional(QString::fromUtf8(full)) : std::nullopt);
    EXPECT_EQ(shortcut->provenance().environmentTarget, QString::fromUtf8(GetParam().hints.back()));
    QStringList expectedLog {kFixing};
    if (const quint32 found = GetParam().pathEncoding;
        found != kLatin1 && found != kUtf16 && found != kNone)
        expectedLog << QStringLiteral("Correct Encoding is: ")
                + HVEncodingRepair::encodingName(GetParam().pathEncoding);
    EXPECT_EQ(log.lines(), expectedLog);
}

const QByteArray kCyrillicShare = "\\\\SRV\\\xc4\xc0\xcd\xcd\xdb\xc5";
const QByteArray kCyrillicFile = "\xf4\xe0\xe9\xeb.txt";
const char* const kCyrillicHint = "\\\\srv\\данные\\файл.txt";

INSTANTIATE_TEST_SUITE_P(ShellLinkReader, EncodingRepair,
    testing::Values(
        RepairCase {"ascii", local("C:\\a.txt"), {"C:\\a.txt"}, 1252, kNone, "C:\\a.txt"},
        RepairCase {"western", local("C:\\caf\xe9\x80.txt"), {"C:\\café€.txt"}, 1252, kNone,
            "C:\\café€.txt"},
        RepairCase {"cyrillic", local("C:\\\xcf\xf0\xe8\xe2\xe5\xf2"), {"C:\\Привет"}, 1251, kNone,
            "C:\\Привет"},
        RepairCase {
            "japanese", local("C:\\\x82\xa0.txt"), {"C:\\あ.txt"}, 932, kNone, "C:\\あ.txt"},
        RepairCase {"dosCyrillic", local("C:\\\x8f\xe0\xa8\xa2\xa5\xe2"), {"C:\\Привет"}, 866,
            kNone, "C:\\Привет"},
        RepairCase {
            "decomposedHint", local("C:\\caf\xe9"), {"C:\\cafe\xcc\x81"}, 1252, kNone, "C:\\café"},
        RepairCase {"caseDiffers", local("C:\\caf\xe9"), {"C:\\CAFÉ"}, kLatin1, kNone, "C:\\café"},
        RepairCase {"pathLongerThanHint", local("C:\\dir\\a.txt"), {"a.txt"}, kLatin1, kNone,
            "C:\\dir\\a.txt"},
        RepairCase {"emptyPath", local(""), {"C:\\x"}, 1252, kNone, ""},
        RepairCase {"laterMismatchKeepsRepair", local("C:\\caf\xe9"), {"C:\\café", "D:\\other"},
            1252, kNone, "C:\\café"},
        RepairCase {"lastMatchWins", local("C:\\\xcf\xf0\xe8\xe2\xe5\xf2"),
            {"C:\\Привет", "C:\\Ïðèâåò"}, 1252, kNone, "C:\\Ïðèâåò"},
        RepairCase {"eightBitShareTakesPathEncoding", network(kCyrillicShare, kCyrillicFile),
            {kCyrillicHint}, 1251, 1251, "\\\\SRV\\ДАННЫЕ/файл.txt"},
        RepairCase {"unicodeShareKeepsItsEncoding",
            with(network({}, kCyrillicFile), &ShellLinkContents::netNameUnicode,
                QStringLiteral("\\\\SRV\\ДАННЫЕ")),
            {kCyrillicHint}, 1251, kUtf16, "\\\\SRV\\ДАННЫЕ/файл.txt"},
        RepairCase {"shareUndefinedInPathEncodingKeepsLatin1", network("\\\\SRV\\\x81", "caf\xe9"),
            {"\\\\srv\\x\\café"}, 1252, kLatin1, "\\\\SRV\\\u0081/café"},
        RepairCase {"unicodePathIsLeftAlone",
            with(network("\\\\SRV\\S", {}), &ShellLinkContents::commonPathSuffixUnicode,
                QStringLiteral("cafe")),
            {"\\\\srv\\s\\café"}, kUtf16, kLatin1, "\\\\SRV\\S/cafe"},
        RepairCase {"noPathBytesLeavesNoTarget", ShellLinkContents {}, {"%HOMESHARE%\\a.doc"},
            kNone, kNone, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EncodingRepairDecoding, IsStrictInEveryCandidateAndKeepsAscii)
{
    for (const quint32 encoding : repair().candidates())
        EXPECT_EQ(repair().decode("dir\\file.txt", encoding), QStringLiteral("dir\\file.txt"))
            << encoding;
    EXPECT_FALSE(repair().decode("\x81", 1252));
    EXPECT_FALSE(repair().decode("\x82", 932)); // a lead byte without its trail byte
    EXPECT_EQ(repair().decode("\x81", kLatin1), QString(QChar(0x81)));
    EXPECT_EQ(repair().decode("\x82\xa0", 932), QString::fromUtf8("あ"));
    EXPECT_FALSE(repair().decode("a", 99999));
}

}
