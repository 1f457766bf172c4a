#include "link/KTLinkService.h"

#include "TestAppEnvironment.h"
#include "alerts/TargetExplanation.h"
#include "link/Pasteboard.h"
#include "preferences/DriveMappingStorage.h"
#include "shortcut/HVWindowsShortcut.h"
#include "shortcut/OpeningServices.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString html = u"text/html"_s;
const QString rtf = u"text/rtf"_s;
const QString plain = u"text/plain"_s;
const QString uriList = u"text/uri-list"_s;
const QString untouched = u"untouched"_s;

const QByteArray rtfWithLink = R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}
Open {\field{\*\fldinst{HYPERLINK "file://fs1/Projects/a%20b.doc"}}{\fldrslt{\ul here}}} now\par})";

using Mappings = QList<QPair<std::optional<QString>, QString>>;

// Stores the mappings as another program may have written them: a mapping may lack
// its letter.
void storeMappings(TestAppEnvironment& app, const Mappings& mappings)
{
    QJsonArray stored;
    for (const auto& [from, to] : mappings) {
        QJsonObject element {{DriveMappingStorage::driveNameKey, to}};
        if (from)
            element.insert(DriveMappingStorage::driveLetterKey, *from);
        stored.append(element);
    }
    app.storeValue(KTDRIVEMAP, stored);
    app.preferences().setMappingEnabled(true);
}

class LinkService : public testing::Test {
protected:
    QString openLink(const QList<QPair<QString, QByteArray>>& items)
    {
        QString error = untouched;
        m_service.doOpenLinkService(*pasteboard(items), &error);
        return error;
    }

    QString copyPaths(const QList<QPair<QString, QByteArray>>& items)
    {
        QString error = untouched;
        m_service.doCopyPathToClipboardService(*pasteboard(items), &error);
        return error;
    }

    TestAppEnvironment m_app;
    KTLinkService m_service {m_app.environment()};
};

}

TEST_F(LinkService, OpenLinkHandsDecodedTextWithSettingsToShortcut)
{
    storeMappings(m_app, {{u"X:"_s, u"\\\\fs1\\Projects"_s}});
    m_app.preferences().setMountMethod(u"afp"_s);
    EXPECT_EQ(openLink({{plain, "X:\\plans\\a%20b.doc"}}), untouched);
    m_app.preferences().setMountMethod(u"webdav"_s);
    EXPECT_EQ(openLink({{plain, ""}}), untouched);
    ASSERT_EQ(m_app.opened.size(), 2);
    const auto& opened = m_app.opened.first();
    EXPECT_EQ(opened.networkShare, u"//fs1/Projects"_s);
    EXPECT_EQ(opened.filename, u"plans/a b.doc"_s);
    EXPECT_EQ(opened.mountMethod, u"afp"_s);
    EXPECT_TRUE(opened.mappingEnabled);
    // An empty text goes on to the shortcut; an unknown mount method keeps smb.
    EXPECT_EQ(m_app.opened.last().fullFilename.value_or(QString()), QString());
    EXPECT_EQ(m_app.opened.last().mountMethod, u"smb"_s);
    EXPECT_TRUE(m_app.alerts().takeAlerts().isEmpty());
}

TEST_F(LinkService, CopyPathsOneLineEachInOrderAsTheSettingsSay)
{
    m_app.volumes.append({u"/run/gvfs/s"_s, u"//srv/share"_s});
    EXPECT_EQ(copyPaths({{uriList, ""}}), untouched);
    EXPECT_EQ(m_app.clipboardWrites, 0) << "no files, no change of the clipboard";
    const QByteArray files = "file:///run/gvfs/s/c.doc\r\nfile:///home/u/a.doc\r\n"
                             "file:///run/gvfs/s/dir/b.doc\r\n";
    EXPECT_EQ(copyPaths({{uriList, files}}), untouched);
    EXPECT_EQ(m_app.clipboardText, u"//srv/share/c.doc\n/home/u/a.doc\n//srv/share/dir/b.doc"_s);
    EXPECT_EQ(m_app.clipboardWrites, 1);

    storeMappings(m_app, {{u"X:"_s, u"\\\\srv\\share"_s}});
    m_app.preferences().setUseQuotationMarks(true);
    m_app.preferences().setUseBackwardSlash(true);
    copyPaths({{uriList, files}});
    EXPECT_EQ(m_app.clipboardText, u"\"X:\\c.doc\"\n\"\\home\\u\\a.doc\"\n\"X:\\dir\\b.doc\""_s);

    m_app.preferences().setMappingEnabled(false);
    copyPaths({{uriList, "file:///run/gvfs/s/c.doc\r\n"}});
    EXPECT_EQ(m_app.clipboardText, u"\"\\\\srv\\share\\c.doc\""_s);
}

TEST(InverseMapping, FirstMatchingShareInListOrderBecomesDriveLetter)
{
    const struct {
        const char* name;
        Mappings mappings;
        QString networkPath;
        QString expected;
    } rows[] = {{"EarlierWinsOverLonger",
                    {{u"Y:"_s, u"\\\\srv\\data"_s}, {u"Z:"_s, u"\\\\srv\\data\\sub"_s}},
                    u"//srv/data/sub"_s, u"Y:/sub/f.doc"_s},
        {"IgnoresCase", {{u"X:"_s, u"\\\\SRV\\DATA"_s}}, u"//srv/data"_s, u"X:/f.doc"_s},
        {"ShareInTheMiddle", {{u"X:"_s, u"//srv/data"_s}}, u"/backup//srv/data/d"_s,
            u"/backupX:/d/f.doc"_s},
        {"PrefixOfLongerShareName", {{u"X:"_s, u"\\\\srv\\data"_s}}, u"//srv/database"_s,
            u"X:base/f.doc"_s},
        {"EmptyShareSkipped", {{u"W:"_s, QString()}, {u"X:"_s, u"//srv/s"_s}}, u"//srv/s"_s,
            u"X:/f.doc"_s},
        {"NoDriveLetterSkipped", {{std::nullopt, u"//srv/s"_s}, {u"X:"_s, u"//srv"_s}},
            u"//srv/s"_s, u"X:/s/f.doc"_s},
        {"NoMatchKeepsPath", {{u"X:"_s, u"//other/s"_s}}, u"//srv/s"_s, u"//srv/s/f.doc"_s}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestAppEnvironment app;
        storeMappings(app, row.mappings);
        app.volumes.append({u"/mnt"_s, row.networkPath});
        EXPECT_EQ(KTLinkService(app.environment()).windowsPath(u"/mnt/f.doc"_s), row.expected);
    }
}

// Why a target is missing, as far as the shortcut and the file system tell: the shortcut
// is opened for real over a temporary folder (no share, so nothing is mounted).
TEST(TargetExplanation, SaysWhyTheTargetIsMissing)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath(u"plans"_s));
    writeFile(folder.filePath(u"plans/a.txt"_s));
    const QString dir = folder.path();
    auto services = std::make_shared<OpeningServices>();
    services->networkVolumeForShare = [](const QString&) { return std::nullopt; };
    services->mountNetworkVolume = [](const QString&, const QString&) { return false; };
    services->dfsInstalled = [] { return false; };
    services->examineTarget = ProgramTarget::examinePresent;
    const DriveMappingList xMapped {{u"x:"_s, u"\\\\srv\\data"_s}};
    using Source = TargetExplanation::Source;
    const struct {
        const char* name;
        QString text;
        Source source;
        std::optional<DriveMappingList> mappings;
        QString reason; // the last line
    } rows[] = {{"UnmappedDrive", u"x:\\plans\\a.doc"_s, Source::ShortcutFile, std::nullopt,
                    u"X: has no drive mapping: add one in the settings window"_s},
        {"MappingsOff", u"X:\\plans\\a.doc"_s, Source::Selection, xMapped,
            u"X: has a drive mapping, but drive mappings are off: turn them on in the settings window"_s},
        {"GoneFile", dir + u"/plans/b.txt"_s, Source::ShortcutFile, std::nullopt,
            u"The folder \u201c%1/plans\u201d holds no \u201cb.txt\u201d: it was moved, renamed or deleted"_s
                .arg(dir)},
        {"WordsAfterPath", dir + u"/plans/a.txt is ready."_s, Source::Selection, std::nullopt,
            u"The selection holds more than the path: \u201c%1/plans/a.txt\u201d exists, without "
            u"the "
            u"\u201c is ready.\u201d that follows it: select the path alone"_s.arg(dir)},
        {"WordsAfterPathOfAShortcut", dir + u"/plans/a.txt is ready"_s, Source::ShortcutFile,
            std::nullopt,
            u"The folder \u201c%1/plans\u201d holds no \u201ca.txt is ready\u201d: it was moved, renamed or deleted"_s
                .arg(dir)},
        {"WordsBeforePath", u"see \\\\srv\\data\\a.doc"_s, Source::Selection, std::nullopt,
            u"The selection holds \u201csee \u201d in front of the path: select the path alone"_s},
        {"ControlsEscaped", dir + u"/plans/\x1b[2J.txt"_s, Source::ShortcutFile, std::nullopt,
            u"The folder \u201c%1/plans\u201d holds no \u201c\\u001b[2J.txt\u201d: it was moved, renamed or deleted"_s
                .arg(dir)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto shortcut = HVWindowsShortcut::initWithMountString(row.text, row.mappings);
        shortcut->setOpeningServices(services);
        EXPECT_FALSE(shortcut->openFile());
        const QStringList facts =
            TargetExplanation::informativeText(*shortcut, row.source).split(QLatin1Char('\n'));
        ASSERT_EQ(facts.size(), 3) << facts.join(u" | "_s).toStdString();
        EXPECT_TRUE(facts[0].startsWith(u"Windows path: "_s));
        EXPECT_TRUE(facts[1].startsWith(u"Local path: /"_s));
        EXPECT_FALSE(facts.join(QString()).contains(u'\x1b'));
        EXPECT_EQ(facts[2], row.reason);
    }
}

TEST(PasteboardLinkText, ChoosesTheTextAsTheServiceReadsIt)
{
    TestAppEnvironment app; // keeps the log lines out of the test's output
    // QTextDocument reads style sheets while it parses; one that read this FIFO, which
    // nobody writes, would wait for good.
    QTemporaryDir folder;
    const QByteArray fifo = QFile::encodeName(folder.filePath(u"fifo"_s));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
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
        {"HtmlNamingLocalFilesLoadsNothing",
            {{html,
                "<head><link rel=\"stylesheet\" href=\"" + fifo + "\"></head><style>@import url("
                    + fifo + ");</style><body><img src=\"" + fifo
                    + "\"><a href=\"X:\\a.doc\">a</a></body>"}},
            u"X:\\a.doc"_s},
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
