#include "shortcut/HVEncodingRepair.h"
#include "shortcut/HVWindowsShortcut.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const HVEncodingRepair& repair()
{
    return HVEncodingRepair::shared();
}

std::unique_ptr<HVWindowsShortcut> readWithHint(ShellLinkContents contents, const QString& hint)
{
    contents.extraDataBlocks = {ShellLinkWriter::environmentBlock("", hint)};
    return HVWindowsShortcut::initWithContentsOfData(ShellLinkWriter::write(contents));
}

}

TEST(EncodingRepair, TriesWindowsThenOemThenIsoThenMacCodePages)
{
    const std::span<const quint32> candidates = repair().candidates();
    const std::vector<quint32> expectedStart {1252, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258,
        874, 932, 936, 949, 950, 437, 850, 852, 866};
    ASSERT_GE(candidates.size(), expectedStart.size());
    EXPECT_TRUE(std::equal(expectedStart.begin(), expectedStart.end(), candidates.begin()));
    const auto latin1 = std::find(candidates.begin(), candidates.end(), HVStringEncoding::Latin1);
    ASSERT_NE(latin1, candidates.end());
    EXPECT_EQ(*(latin1 - 1), 869u);
    EXPECT_EQ(candidates.back(), HVStringEncoding::MacRoman);
}

TEST(EncodingRepair, EveryCandidateConverterDecodesAscii)
{
    for (const quint32 encoding : repair().candidates())
        EXPECT_EQ(repair().decode("dir\\file.txt", encoding), QStringLiteral("dir\\file.txt"))
            << encoding;
}

TEST(EncodingRepair, DecodingIsStrict)
{
    EXPECT_FALSE(repair().decode("\x81", 1252));
    EXPECT_FALSE(repair().decode("\x82", 932)); // a lead byte without its trail byte
    EXPECT_EQ(repair().decode("\x81", HVStringEncoding::Latin1), QString(QChar(0x81)));
    EXPECT_EQ(repair().decode("\x82\xa0", 932), QString::fromUtf8("あ"));
    EXPECT_FALSE(repair().decode("a", 99999));
}

TEST(EncodingRepair, NamesEncodings)
{
    EXPECT_EQ(HVEncodingRepair::encodingName(1252), QStringLiteral("Western (Windows 1252)"));
    EXPECT_EQ(HVEncodingRepair::encodingName(HVStringEncoding::Latin1),
        QStringLiteral("Western (ISO Latin 1)"));
    EXPECT_EQ(HVEncodingRepair::encodingName(HVStringEncoding::Utf16LE),
        QStringLiteral("Unicode (UTF-16LE)"));
    EXPECT_EQ(HVEncodingRepair::encodingName(99999), QStringLiteral("code page 99999"));
}

struct RepairCase {
    const char* name;
    QByteArray pathBytes;
    const char* hint; // UTF-8
    quint32 expected;
    const char* expectedPath; // UTF-8
};

inline void PrintTo(const RepairCase& value, std::ostream* out)
{
    *out << value.name;
}

class RepairChoosesEncoding : public testing::TestWithParam<RepairCase> { };

TEST_P(RepairChoosesEncoding, FirstCandidateSpellingTheHintsTail)
{
    ShellLinkContents contents;
    contents.localBasePath = GetParam().pathBytes;
    LogCapture log;
    const std::unique_ptr<HVWindowsShortcut> shortcut =
        readWithHint(contents, QString::fromUtf8(GetParam().hint));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->pathEncoding(), GetParam().expected);
    EXPECT_EQ(shortcut->fullFilename(), QString::fromUtf8(GetParam().expectedPath));
    EXPECT_EQ(
        log.lines().value(0), QStringLiteral("Fixing path with data from EnvironmentDataBlock"));
    if (GetParam().expected != HVStringEncoding::Latin1)
        EXPECT_EQ(log.lines().value(1),
            QStringLiteral("Correct Encoding is: ")
                + HVEncodingRepair::encodingName(GetParam().expected));
    else
        EXPECT_EQ(log.lines().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(EncodingRepair, RepairChoosesEncoding,
    testing::Values(RepairCase {"ascii", "C:\\a.txt", "C:\\a.txt", 1252, "C:\\a.txt"},
        RepairCase {"western", "C:\\caf\xe9\x80.txt", "C:\\caf\xc3\xa9\xe2\x82\xac.txt", 1252,
            "C:\\café€.txt"},
        RepairCase {"cyrillic", "C:\\\xcf\xf0\xe8\xe2\xe5\xf2", "C:\\Привет", 1251, "C:\\Привет"},
        RepairCase {"japanese", "C:\\\x82\xa0.txt", "C:\\あ.txt", 932, "C:\\あ.txt"},
        RepairCase {"dosCyrillic", "C:\\\x8f\xe0\xa8\xa2\xa5\xe2", "C:\\Привет", 866, "C:\\Привет"},
        RepairCase {"decomposedHint", "C:\\caf\xe9", "C:\\cafe\xcc\x81", 1252, "C:\\café"},
        RepairCase {"caseDiffers", "C:\\caf\xe9", "C:\\CAF\xc3\x89", HVStringEncoding::Latin1,
            "C:\\caf\xc3\xa9"},
        RepairCase {"pathLongerThanHint", "C:\\dir\\a.txt", "a.txt", HVStringEncoding::Latin1,
            "C:\\dir\\a.txt"},
        RepairCase {"emptyPath", "", "C:\\x", 1252, ""}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(EncodingRepair, EightBitShareTakesPathEncoding)
{
    ShellLinkContents contents;
    contents.netName = "\\\\SRV\\\xc4\xc0\xcd\xcd\xdb\xc5";
    contents.commonPathSuffix = "\xf4\xe0\xe9\xeb.txt";
    const auto shortcut = readWithHint(contents, QStringLiteral("\\\\srv\\данные\\файл.txt"));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->pathEncoding(), 1251u);
    EXPECT_EQ(shortcut->shareEncoding(), 1251u);
    EXPECT_EQ(shortcut->fullFilename(), QStringLiteral("\\\\SRV\\ДАННЫЕ/файл.txt"));
}

TEST(EncodingRepair, UnicodeShareKeepsItsEncoding)
{
    ShellLinkContents contents;
    contents.netNameUnicode = QStringLiteral("\\\\SRV\\ДАННЫЕ");
    contents.commonPathSuffix = "\xf4\xe0\xe9\xeb.txt";
    const auto shortcut = readWithHint(contents, QStringLiteral("\\\\srv\\данные\\файл.txt"));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->pathEncoding(), 1251u);
    EXPECT_EQ(shortcut->shareEncoding(), HVStringEncoding::Utf16LE);
    EXPECT_EQ(shortcut->fullFilename(), QStringLiteral("\\\\SRV\\ДАННЫЕ/файл.txt"));
}

TEST(EncodingRepair, ShareUndefinedInPathEncodingKeepsLatin1)
{
    ShellLinkContents contents;
    contents.netName = "\\\\SRV\\\x81";
    contents.commonPathSuffix = "caf\xe9";
    const auto shortcut = readWithHint(contents, QStringLiteral("\\\\srv\\x\\café"));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->pathEncoding(), 1252u);
    EXPECT_EQ(shortcut->shareEncoding(), HVStringEncoding::Latin1);
    EXPECT_EQ(shortcut->fullFilename(),
        QStringLiteral("\\\\SRV\\") + QChar(0x81) + QStringLiteral("/café"));
}

TEST(EncodingRepair, UnicodePathIsLeftAlone)
{
    ShellLinkContents contents;
    contents.netName = "\\\\SRV\\S";
    contents.commonPathSuffixUnicode = QStringLiteral("caf\u00e9");
    LogCapture log;
    const auto shortcut = readWithHint(contents, QStringLiteral("\\\\srv\\s\\café"));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->pathEncoding(), HVStringEncoding::Utf16LE);
    EXPECT_EQ(log.lines(),
        QStringList {QStringLiteral("Fixing path with data from EnvironmentDataBlock")});
}

TEST(EncodingRepair, NoPathBytesLeavesNoTarget)
{
    LogCapture log;
    const auto shortcut = readWithHint(ShellLinkContents {}, QStringLiteral("%HOMESHARE%\\a.doc"));
    ASSERT_TRUE(shortcut);
    EXPECT_FALSE(shortcut->fullFilename());
    EXPECT_EQ(shortcut->provenance().environmentTarget, QStringLiteral("%HOMESHARE%\\a.doc"));
}
