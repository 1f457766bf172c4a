#include "text/RtfHyperlinkReader.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct RtfCase {
    const char* name;
    QByteArray rtf;
    QString plainText;
    std::optional<QString> link;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const RtfCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class RtfReading : public testing::TestWithParam<RtfCase> { };

}

TEST_P(RtfReading, FindsCharactersAndFirstHyperlink)
{
    const std::optional<RichTextContent> content = RtfHyperlinkReader::read(GetParam().rtf);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->plainText, GetParam().plainText);
    EXPECT_EQ(content->firstLink, GetParam().link);
}

INSTANTIATE_TEST_SUITE_P(Cases, RtfReading,
    testing::Values(
        RtfCase {"WordStyleFieldWithDoubledBackslashes",
            R"({\rtf1\ansi{\field{\*\fldinst {\rtlch HYPERLINK "\\\\\\\\fs1\\\\share\\\\a.doc" }}{\fldrslt {\ul the file}}}\par})",
            QStringLiteral("the file\n"), QStringLiteral("\\\\fs1\\share\\a.doc")},
        RtfCase {"InstructionSplitOverGroups",
            R"({\rtf1{\field{\*\fldinst{HYPER}{LINK "smb://fs1/s/a.doc"}}{\fldrslt x}}})",
            QStringLiteral("x"), QStringLiteral("smb://fs1/s/a.doc")},
        RtfCase {"FieldInstructionWithoutStar",
            R"({\rtf1{\field{\fldinst HYPERLINK file:///a.doc}{\fldrslt y}}})", QStringLiteral("y"),
            QStringLiteral("file:///a.doc")},
        RtfCase {"SwitchesBeforeAndAfterTarget",
            R"({\rtf1{\field{\*\fldinst HYPERLINK \\o "tip" "X:\\\\a.doc" \\t "_blank"}{\fldrslt z}}})",
            QStringLiteral("z"), QStringLiteral("X:\\a.doc")},
        RtfCase {"BookmarkLinkSkippedForLaterLink",
            R"({\rtf1{\field{\*\fldinst HYPERLINK \\l "mark"}{\fldrslt a}} {\field{\*\fldinst HYPERLINK "smb://b/c"}{\fldrslt b}}})",
            QStringLiteral("a b"), QStringLiteral("smb://b/c")},
        RtfCase {"OtherFieldIsNoLink",
            R"({\rtf1{\field{\*\fldinst PAGE }{\fldrslt 3}} then {\field{\*\fldinst HYPERLINK "smb://x/y"}{\fldrslt y}}})",
            QStringLiteral("3 then y"), QStringLiteral("smb://x/y")},
        RtfCase {"FirstOfTwoLinks",
            R"({\rtf1{\field{\*\fldinst HYPERLINK "smb://one/a"}{\fldrslt one}}{\field{\*\fldinst HYPERLINK "smb://two/b"}{\fldrslt two}}})",
            QStringLiteral("onetwo"), QStringLiteral("smb://one/a")},
        RtfCase {"SkippedDestinationsAndIgnorableGroups",
            R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red0;}{\*\generator Writer;}{\info{\title T}}{\*\unknown junk}Body})",
            QStringLiteral("Body"), std::nullopt},
        RtfCase {"HexBytesAreWindows1252", R"({\rtf1\ansi caf\'e9 \'80 \'zz})",
            QStringLiteral("caf\u00e9 \u20ac zz"), std::nullopt},
        RtfCase {"UnicodeWithFallback", R"({\rtf1\uc1 a\u233?b\uc2 \u-3913xyc})",
            QStringLiteral("a\u00e9b\uf0b7c"), std::nullopt},
        RtfCase {"EscapedSymbolsAndSpecialCharacters", R"({\rtf1 \{x\}\\\tab y\line z\emdash})",
            QStringLiteral("{x}\\\ty\nz\u2014"), std::nullopt},
        RtfCase {"BinaryDataSkipped", QByteArray("{\\rtf1 a{\\pict\\bin4 }}{b}c}"),
            QStringLiteral("ac"), std::nullopt},
        RtfCase {"BinaryLengthBeyondEnd", R"({\rtf1 a\bin999999999999 xyz})", QStringLiteral("a"),
            std::nullopt},
        RtfCase {"UnbalancedClosingBraces", R"({\rtf1 a}}}} b)", QStringLiteral("a"), std::nullopt},
        RtfCase {"CutShortInsideField", R"({\rtf1 a{\field{\*\fldinst HYPERLINK "smb://x)",
            QStringLiteral("a"), std::nullopt},
        RtfCase {"HugeParameterAndLongWord",
            R"({\rtf1\uc99999999999999999 \abcdefghijklmnopqrstuvwxyzabcdefghijklmnop x})",
            QStringLiteral("x"), std::nullopt}),
    [](const testing::TestParamInfo<RtfCase>& testCase) { return testCase.param.name; });

TEST(RtfHyperlinkReader, RefusesWhatIsNoRtf)
{
    EXPECT_FALSE(RtfHyperlinkReader::read(QByteArray()));
    EXPECT_FALSE(RtfHyperlinkReader::read("\\\\fs1\\share\\a.doc"));
    EXPECT_FALSE(RtfHyperlinkReader::read("{\\rt"));
}

TEST(RtfHyperlinkReader, DeepNestingEndsTheReadingWithoutHarm)
{
    QByteArray rtf = "{\\rtf1 before";
    rtf += QByteArray(100000, '{') + "inside" + QByteArray(100000, '}');
    const std::optional<RichTextContent> content = RtfHyperlinkReader::read(rtf);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->plainText, QStringLiteral("before"));
}

TEST(RtfHyperlinkReader, EveryPrefixOfAFieldReadsSafely)
{
    const QByteArray rtf =
        R"({\rtf1\ansi{\field{\*\fldinst {HYPERLINK "\\\\\\\\s\\\\a" \\o "t\'e9"}}{\fldrslt \u233?x}}\bin3 abc\'4)";
    for (qsizetype length = 0; length <= rtf.size(); ++length)
        (void)RtfHyperlinkReader::read(QByteArrayView(rtf).first(length));
}

TEST(RtfHyperlinkTarget, ReadsTheFirstArgument)
{
    EXPECT_EQ(RtfHyperlinkReader::hyperlinkTarget(QStringLiteral(" HYPERLINK \"a b\\\"c\" ")),
        QStringLiteral("a b\"c"));
    EXPECT_EQ(RtfHyperlinkReader::hyperlinkTarget(QStringLiteral("hyperlink smb://x/y \\n")),
        QStringLiteral("smb://x/y"));
    EXPECT_EQ(
        RtfHyperlinkReader::hyperlinkTarget(QStringLiteral("HYPERLINK\"q\"")), QStringLiteral("q"));
    EXPECT_EQ(RtfHyperlinkReader::hyperlinkTarget(QStringLiteral("HYPERLINKS x")), std::nullopt);
    EXPECT_EQ(RtfHyperlinkReader::hyperlinkTarget(QStringLiteral("HYPERLINK \"\"")), std::nullopt);
    EXPECT_EQ(RtfHyperlinkReader::hyperlinkTarget(QStringLiteral("HYPERLINK \\")), std::nullopt);
    EXPECT_EQ(
        RtfHyperlinkReader::hyperlinkTarget(QStringLiteral("INCLUDETEXT \"a\"")), std::nullopt);
}
