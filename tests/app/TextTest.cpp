#include "support/QtPrinters.h"
#include "text/PercentEscapes.h"
#include "text/RtfHyperlinkReader.h"

#include <QList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(RtfHyperlinkReader, FindsCharactersAndFirstHyperlink)
{
    const struct {
        const char* name;
        QByteArray rtf;
        QString plainText;
        std::optional<QString> link;
    } rows[] = {
        {"WordStyleFieldWithDoubledBackslashes",
            R"({\rtf1\ansi{\field{\*\fldinst {\rtlch HYPERLINK "\\\\\\\\fs1\\\\share\\\\a.doc" }}{\fldrslt {\ul the file}}}\par})",
            u"the file\n"_s, u"\\\\fs1\\share\\a.doc"_s},
        {"InstructionSplitOverGroups",
            R"({\rtf1{\field{\*\fldinst{HYPER}{LINK "smb://fs1/s/a.doc"}}{\fldrslt x}}})", u"x"_s,
            u"smb://fs1/s/a.doc"_s},
        {"FieldInstructionWithoutStar",
            R"({\rtf1{\field{\fldinst HYPERLINK file:///a.doc}{\fldrslt y}}})", u"y"_s,
            u"file:///a.doc"_s},
        {"SwitchesBeforeAndAfterTarget",
            R"({\rtf1{\field{\*\fldinst HYPERLINK \\o "tip" "X:\\\\a.doc" \\t "_blank"}{\fldrslt z}}})",
            u"z"_s, u"X:\\a.doc"_s},
        {"BookmarkLinkSkippedForLaterLink",
            R"({\rtf1{\field{\*\fldinst HYPERLINK \\l "mark"}{\fldrslt a}} {\field{\*\fldinst HYPERLINK "smb://b/c"}{\fldrslt b}}})",
            u"a b"_s, u"smb://b/c"_s},
        {"OtherFieldIsNoLink",
            R"({\rtf1{\field{\*\fldinst PAGE }{\fldrslt 3}} then {\field{\*\fldinst HYPERLINK "smb://x/y"}{\fldrslt y}}})",
            u"3 then y"_s, u"smb://x/y"_s},
        {"FirstOfTwoLinks",
            R"({\rtf1{\field{\*\fldinst HYPERLINK "smb://one/a"}{\fldrslt one}}{\field{\*\fldinst HYPERLINK "smb://two/b"}{\fldrslt two}}})",
            u"onetwo"_s, u"smb://one/a"_s},
        {"SkippedDestinationsAndIgnorableGroups",
            R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red0;}{\*\generator Writer;}{\info{\title T}}{\*\unknown junk}Body})",
            u"Body"_s, std::nullopt},
        {"HexBytesAreWindows1252", R"({\rtf1\ansi caf\'e9 \'80 \'zz})", u"caf\u00e9 \u20ac zz"_s,
            std::nullopt},
        {"UnicodeWithFallback", R"({\rtf1\uc1 a\u233?b\uc2 \u-3913xyc})", u"a\u00e9b\uf0b7c"_s,
            std::nullopt},
        {"EscapedSymbolsAndSpecialCharacters", R"({\rtf1 \{x\}\\\tab y\line z\emdash})",
            u"{x}\\\ty\nz\u2014"_s, std::nullopt},
        {"BinaryDataSkipped", QByteArray("{\\rtf1 a{\\pict\\bin4 }}{b}c}"), u"ac"_s, std::nullopt},
        {"BinaryLengthBeyondEnd", R"({\rtf1 a\bin999999999999 xyz})", u"a"_s, std::nullopt},
        {"UnbalancedClosingBraces", R"({\rtf1 a}}}} b)", u"a"_s, std::nullopt},
        {"CutShortInsideField", R"({\rtf1 a{\field{\*\fldinst HYPERLINK "smb://x)", u"a"_s,
            std::nullopt},
        {"DeepNestingEndsTheReading",
            "{\\rtf1 before" + QByteArray(100000, '{') + "inside" + QByteArray(100000, '}'),
            u"before"_s, std::nullopt},
        {"HugeParameterAndLongWord",
            R"({\rtf1\uc99999999999999999 \abcdefghijklmnopqrstuvwxyzabcdefghijklmnop x})", u"x"_s,
            std::nullopt}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<RichTextContent> content = RtfHyperlinkReader::read(row.rtf);
        ASSERT_TRUE(content);
        EXPECT_EQ(content->plainText, row.plainText);
        EXPECT_EQ(content->firstLink, row.link);
    }
    EXPECT_FALSE(RtfHyperlinkReader::read(QByteArray()));
    EXPECT_FALSE(RtfHyperlinkReader::read("\\\\fs1\\share\\a.doc"));
    EXPECT_FALSE(RtfHyperlinkReader::read("{\\rt"));
}

TEST(RtfHyperlinkTarget, ReadsTheFirstArgument)
{
    const QList<QPair<QString, std::optional<QString>>> rows = {
        {u" HYPERLINK \"a b\\\"c\" "_s, u"a b\"c"_s},
        {u"hyperlink smb://x/y \\n"_s, u"smb://x/y"_s}, {u"HYPERLINK\"q\""_s, u"q"_s},
        {u"HYPERLINKS x"_s, std::nullopt}, {u"HYPERLINK \"\""_s, std::nullopt},
        {u"HYPERLINK \\"_s, std::nullopt}, {u"INCLUDETEXT \"a\""_s, std::nullopt}};
    for (const auto& [instruction, target] : rows)
        EXPECT_EQ(RtfHyperlinkReader::hyperlinkTarget(instruction), target)
            << instruction.toStdString();
}

TEST(PercentEscapes, DecodesAsciiEscapesOnly)
{
    const QList<QPair<const char*, std::optional<QString>>> rows = {
        {"\\\\fs1\\share\\a%20b.doc", u"\\\\fs1\\share\\a b.doc"_s},
        {"file://fs1/s/%41%7e%7E", u"file://fs1/s/A~~"_s}, {"%2525", u"%25"_s},
        {"50% off.doc", u"50% off.doc"_s}, {"end%", u"end%"_s}, {"end%4", u"end%4"_s},
        {"%g0%0g", u"%g0%0g"_s}, {"caf\xc3\xa9 stays", u"caf\u00e9 stays"_s}, {"", QString()},
        {"caf%C3%A9", std::nullopt}, {"%80", std::nullopt}, {"%ff", std::nullopt},
        {"a%00b", std::nullopt}};
    for (const auto& [text, decoded] : rows)
        EXPECT_EQ(PercentEscapes::decodeAsAscii(QString::fromUtf8(text)), decoded) << text;
}
