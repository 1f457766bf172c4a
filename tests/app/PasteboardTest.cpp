#include "link/Pasteboard.h"

#include "TestAppEnvironment.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString html = u"text/html"_s;
const QString rtf = u"text/rtf"_s;
const QString plain = u"text/plain"_s;
const QString uriList = u"text/uri-list"_s;

const QByteArray rtfWithLink = R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}
Open {\field{\*\fldinst{HYPERLINK "file://fs1/Projects/a%20b.doc"}}{\fldrslt{\ul here}}} now\par})";

}

TEST(PasteboardLinkText, ChoosesTheTextAsTheServiceReadsIt)
{
    TestAppEnvironment app; // keeps the log lines out of the test's output
    const struct {
        const char* name;
        PasteboardItems items;
        std::optional<QString> expected;
        bool selection = true;
    } rows[] = {{"SecondWordLinked",
                    {{html, "<p>Open <a href=\"file://fs1/Projects/a.doc\">this</a> file</p>"}},
                    u"file://fs1/Projects/a.doc"_s},
        {"OnlyLastRunLinked",
            {{html, "<p>All the words before <b>the</b> <a href=\"\\\\fs1\\x\\last.doc\">end</a>"}},
            u"\\\\fs1\\x\\last.doc"_s},
        {"FirstOfTwoLinks",
            {{html, "<a href=\"smb://one/a\">one</a> and <a href=\"smb://two/b\">two</a>"}},
            u"smb://one/a"_s},
        {"LinkInTableCellAfterText",
            {{html,
                "<p>head</p><table><tr><td>x</td><td><a href=\"X:\\cell.doc\">c</a></td>"
                "</tr></table><a href=\"X:\\after.doc\">after</a>"}},
            u"X:\\cell.doc"_s},
        {"NamedAnchorIsNoLink", {{html, "<a name=\"top\">Top</a> \\\\fs1\\share\\plain.doc"}},
            u"Top \\\\fs1\\share\\plain.doc"_s},
        {"HtmlWithoutLinkGivesCharacters", {{html, "<p>\\\\fs1\\share\\<i>a</i>.doc</p>"}},
            u"\\\\fs1\\share\\a.doc"_s},
        {"EmptyHtmlGivesEmptyText", {{html, "<p></p>"}}, QString()},
        {"HtmlWinsOverPlainText",
            {{plain, "\\\\plain\\share\\a"}, {html, "<a href=\"smb://rich/s/a\">a</a>"}},
            u"smb://rich/s/a"_s},
        {"RtfField", {{rtf, rtfWithLink}}, u"file://fs1/Projects/a%20b.doc"_s},
        {"RtfWinsOverPlainText", {{plain, "ignored"}, {rtf, rtfWithLink}},
            u"file://fs1/Projects/a%20b.doc"_s},
        {"ApplicationRtf", {{u"application/rtf"_s, rtfWithLink}},
            u"file://fs1/Projects/a%20b.doc"_s},
        {"RtfWithoutLinkGivesCharacters",
            {{rtf, R"({\rtf1{\fonttbl{\f0 Arial;}}\f0 X:\\dir\\a.doc})"}}, u"X:\\dir\\a.doc"_s},
        {"RtfThatIsNoRtfGivesNoString", {{rtf, "plain words"}}, std::nullopt},
        {"PlainText", {{plain, "\\\\fs1\\share\\dir\\a b.doc"}}, u"\\\\fs1\\share\\dir\\a b.doc"_s},
        {"PlainTextIsNotTrimmed", {{plain, "  X:\\a.doc\n"}}, u"  X:\\a.doc\n"_s},
        {"EmptyPlainTextIsKept", {{plain, ""}}, QString()},
        {"PlainTextBesideFileNames", {{uriList, "file:///tmp/a\r\n"}, {plain, "X:\\b.doc"}},
            u"X:\\b.doc"_s},
        {"FileNamesAloneAreNoSelection", {{uriList, "file:///tmp/a.doc\r\n"}}, std::nullopt, false},
        {"NothingIsNoSelection", {}, std::nullopt, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Pasteboard::LinkText chosen = Pasteboard::linkText(*pasteboard(row.items));
        EXPECT_EQ(chosen.hasSelection, row.selection);
        EXPECT_EQ(chosen.text, row.expected);
    }
}

TEST(PasteboardLinkTextRefusal, HtmlNamingLocalFilesLoadsNothing)
{
    TestAppEnvironment app;
    // QTextDocument reads style sheets while it parses; one that read this FIFO, which
    // nobody writes, would wait for good.
    QTemporaryDir folder;
    const QByteArray fifo = QFile::encodeName(folder.filePath(u"fifo"_s));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    const auto board = pasteboard({{html,
        "<head><link rel=\"stylesheet\" href=\"" + fifo + "\"></head><style>@import url(" + fifo
            + ");</style><body><img src=\"" + fifo + "\"><a href=\"X:\\a.doc\">a</a></body>"}});
    EXPECT_EQ(Pasteboard::linkText(*board).text, u"X:\\a.doc"_s);
}

// Files on servers, as file managers list them, keep their server form.
TEST(PasteboardFileNames, FileAndSmbUrisInOrderOthersLeftOut)
{
    const QList<QPair<PasteboardItems, std::optional<QStringList>>> rows = {
        {{{uriList,
             "# a "
             "comment\r\nfile:///srv/b.doc\r\nhttps://example.org/x\r\nfile:///srv/a%20c.doc\r\n"
             "smb://fs1/Projects/caf%C3%A9%231.doc\r\nfile:/srv/%FF\r\n"}},
            QStringList {u"/srv/b.doc"_s, u"/srv/a c.doc"_s, u"//fs1/Projects/caf\u00e9#1.doc"_s,
                u"/srv/"_s + QChar(0xdcff)}},
        {{{uriList, "https://example.org/x\r\n"}}, std::nullopt},
        {{{plain, "/srv/a.doc"}}, std::nullopt}, {{{uriList, ""}}, QStringList()},
        {{{uriList, "# one\r\n#two\r\n"}}, QStringList()}};
    for (const auto& [items, fileNames] : rows)
        EXPECT_EQ(Pasteboard::fileNames(*pasteboard(items)), fileNames)
            << items.first().second.toStdString();
}
