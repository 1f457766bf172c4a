#include "link/Pasteboard.h"

#include "TestAppEnvironment.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ostream>

namespace {

const QString html = QStringLiteral("text/html");
const QString rtf = QStringLiteral("text/rtf");
const QString plain = QStringLiteral("text/plain");
const QString uriList = QStringLiteral("text/uri-list");

struct TextCase {
    const char* name;
    QList<QPair<QString, QByteArray>> items;
    std::optional<QString> expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const TextCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class PasteboardLinkText : public testing::TestWithParam<TextCase> {
protected:
    TestAppEnvironment m_app; // keeps the log lines out of the test's output
};

const QByteArray rtfWithLink = R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}
Open {\field{\*\fldinst{HYPERLINK "file://fs1/Projects/a%20b.doc"}}{\fldrslt{\ul here}}} now\par})";

}

TEST_P(PasteboardLinkText, ChoosesTheTextAsTheServiceReadsIt)
{
    const auto board = pasteboard(GetParam().items);
    const Pasteboard::LinkText chosen = Pasteboard::linkText(*board);
    EXPECT_TRUE(chosen.hasSelection);
    EXPECT_EQ(chosen.text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PasteboardLinkText,
    testing::Values(TextCase {"SecondWordLinked",
                        {{html, "<p>Open <a href=\"file://fs1/Projects/a.doc\">this</a> file</p>"}},
                        QStringLiteral("file://fs1/Projects/a.doc")},
        TextCase {"OnlyLastRunLinked",
            {{html, "<p>All the words before <b>the</b> <a href=\"\\\\fs1\\x\\last.doc\">end</a>"}},
            QStringLiteral("\\\\fs1\\x\\last.doc")},
        TextCase {"FirstOfTwoLinks",
            {{html, "<a href=\"smb://one/a\">one</a> and <a href=\"smb://two/b\">two</a>"}},
            QStringLiteral("smb://one/a")},
        TextCase {"LinkInTableCellAfterText",
            {{html,
                "<p>head</p><table><tr><td>x</td><td><a href=\"X:\\cell.doc\">c</a></td>"
                "</tr></table><a href=\"X:\\after.doc\">after</a>"}},
            QStringLiteral("X:\\cell.doc")},
        TextCase {"NamedAnchorIsNoLink",
            {{html, "<a name=\"top\">Top</a> \\\\fs1\\share\\plain.doc"}},
            QStringLiteral("Top \\\\fs1\\share\\plain.doc")},
        TextCase {"HtmlWithoutLinkGivesCharacters", {{html, "<p>\\\\fs1\\share\\<i>a</i>.doc</p>"}},
            QStringLiteral("\\\\fs1\\share\\a.doc")},
        TextCase {"EmptyHtmlGivesEmptyText", {{html, "<p></p>"}}, QString()},
        TextCase {"HtmlWinsOverPlainText",
            {{plain, "\\\\plain\\share\\a"}, {html, "<a href=\"smb://rich/s/a\">a</a>"}},
            QStringLiteral("smb://rich/s/a")},
        TextCase {
            "RtfField", {{rtf, rtfWithLink}}, QStringLiteral("file://fs1/Projects/a%20b.doc")},
        TextCase {"RtfWinsOverPlainText", {{plain, "ignored"}, {rtf, rtfWithLink}},
            QStringLiteral("file://fs1/Projects/a%20b.doc")},
        TextCase {"ApplicationRtf", {{QStringLiteral("application/rtf"), rtfWithLink}},
            QStringLiteral("file://fs1/Projects/a%20b.doc")},
        TextCase {"RtfWithoutLinkGivesCharacters",
            {{rtf, R"({\rtf1{\fonttbl{\f0 Arial;}}\f0 X:\\dir\\a.doc})"}},
            QStringLiteral("X:\\dir\\a.doc")},
        TextCase {"RtfThatIsNoRtfGivesNoString", {{rtf, "plain words"}}, std::nullopt},
        TextCase {"PlainText", {{plain, "\\\\fs1\\share\\dir\\a b.doc"}},
            QStringLiteral("\\\\fs1\\share\\dir\\a b.doc")},
        TextCase {
            "PlainTextIsNotTrimmed", {{plain, "  X:\\a.doc\n"}}, QStringLiteral("  X:\\a.doc\n")},
        TextCase {"EmptyPlainTextIsKept", {{plain, ""}}, QString()},
        TextCase {"PlainTextBesideFileNames",
            {{uriList, "file:///tmp/a\r\n"}, {plain, "X:\\b.doc"}}, QStringLiteral("X:\\b.doc")}),
    [](const testing::TestParamInfo<TextCase>& testCase) { return testCase.param.name; });

TEST(PasteboardLinkTextRefusal, FileNamesAloneAreNoSelection)
{
    TestAppEnvironment app;
    const auto board = pasteboard({{uriList, "file:///tmp/a.doc\r\n"}});
    EXPECT_FALSE(Pasteboard::linkText(*board).hasSelection);
    EXPECT_FALSE(Pasteboard::linkText(QMimeData()).hasSelection);
}

TEST(PasteboardLinkTextRefusal, HtmlNamingLocalFilesLoadsNothing)
{
    TestAppEnvironment app;
    // QTextDocument reads style sheets while it parses; one that read this FIFO, which
    // nobody writes, would wait for good.
    QTemporaryDir folder;
    const QByteArray fifo = QFile::encodeName(folder.filePath(QStringLiteral("fifo")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    const auto board = pasteboard({{html,
        "<head><link rel=\"stylesheet\" href=\"" + fifo + "\"></head><style>@import url(" + fifo
            + ");</style><body><img src=\"" + fifo + "\"><a href=\"X:\\a.doc\">a</a></body>"}});
    EXPECT_EQ(Pasteboard::linkText(*board).text, QStringLiteral("X:\\a.doc"));
}

TEST(PasteboardFileNames, FileUrisInOrderOthersLeftOut)
{
    const auto board = pasteboard({{uriList,
        "# a comment\r\nfile:///srv/b.doc\r\nhttps://example.org/x\r\nfile:///srv/a%20c.doc\r\n"}});
    EXPECT_EQ(Pasteboard::fileNames(*board),
        QStringList({QStringLiteral("/srv/b.doc"), QStringLiteral("/srv/a c.doc")}));
}

TEST(PasteboardFileNames, OnlyOtherSchemesOrNoListIsNoFileNames)
{
    EXPECT_EQ(
        Pasteboard::fileNames(*pasteboard({{uriList, "https://example.org/x\r\n"}})), std::nullopt);
    EXPECT_EQ(Pasteboard::fileNames(*pasteboard({{plain, "/srv/a.doc"}})), std::nullopt);
}

TEST(PasteboardFileNames, EmptyOrCommentOnlyListIsEmpty)
{
    EXPECT_EQ(Pasteboard::fileNames(*pasteboard({{uriList, ""}})), QStringList());
    EXPECT_EQ(Pasteboard::fileNames(*pasteboard({{uriList, "# one\r\n#two\r\n"}})), QStringList());
}
