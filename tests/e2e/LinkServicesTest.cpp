#include "EndToEndTest.h"
#include "support/Eventually.h"
#include "support/FileServer.h"

#include <QFile>
#include <QUrl>

using namespace Qt::StringLiterals;

// open-link and copy-path between real applications: another program (xclip) holds the
// selection and the clipboard, the files are on the mounted share.
namespace {

class LinkServices : public EndToEndTest {
protected:
    void SetUp() override
    {
        EndToEndTest::SetUp();
        if (!IsSkipped()) {
            ASSERT_TRUE(FileServer::gioMount(kShare));
        }
    }

    static bool clipboardHolds(const QString& text)
    {
        return eventually(
            [&] { return readSelection(u"clipboard"_s) == text; }, std::chrono::seconds(20));
    }
};

}

TEST_F(LinkServices, OpenLinkOpensWhatAnotherApplicationSelected)
{
    // A path whose shell characters are data, and rich text whose second word carries the
    // link while the visible words name no file.
    const QString named = u"docs/$(touch ran); `touch ran` 'x'.txt"_s;
    const struct {
        const char* type;
        QByteArray data;
        QString opened;
    } rows[] = {{"UTF8_STRING",
                    "\\\\127.0.0.1\\share\\" + QString(named).replace(u'/', u'\\').toUtf8(), named},
        {"text/html",
            "<p>Read <a href=\"file://127.0.0.1/share/docs/b%20c.txt\">these</a> minutes</p>",
            u"docs/b c.txt"_s}};
    qsizetype opened = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        putOnShare(row.opened, "text\n");
        ASSERT_TRUE(holdSelection(u"primary"_s, QLatin1String(row.type), row.data));
        const ProgramRun result = run({u"open-link"_s});
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        EXPECT_EQ(viewerArguments(++opened), QStringList {mountedPath(row.opened)});
    }
    EXPECT_FALSE(QFile::exists(m_work.filePath(u"ran"_s)));
}

TEST_F(LinkServices, CopyPathPutsMappedWindowsPathsOnTheClipboard)
{
    putOnShare(u"dir/a.doc"_s, "a");
    putOnShare(u"dir/b.doc"_s, "b");
    for (const char* setting : {"map X: \\\\127.0.0.1\\share", "set mappingEnabled true",
             "set useBackslash true", "set useQuotationMarks true"}) {
        const ProgramRun set = run(u"settings %1"_s.arg(QLatin1String(setting)).split(u' '));
        ASSERT_EQ(set.exitCode, 0) << set.errors.toStdString();
    }
    const QStringList files = {mountedPath(u"dir/a.doc"_s), mountedPath(u"dir/b.doc"_s)};
    const QString expected = u"\"X:\\dir\\a.doc\"\n\"X:\\dir\\b.doc\""_s;

    // The command that filled the clipboard keeps it until another program takes it.
    QProcess& copy = start(QStringList {u"copy-path"_s} + files);
    EXPECT_TRUE(clipboardHolds(expected)) << readSelection(u"clipboard"_s).toStdString();
    EXPECT_FALSE(copy.waitForFinished(1500)) << "the clipboard's owner ended";
    // A file manager copies the files; copy-path without files reads them there.
    QByteArray uris;
    for (const QString& file : files)
        uris += QUrl::fromLocalFile(file).toEncoded() + "\r\n";
    EXPECT_TRUE(holdSelection(u"clipboard"_s, u"text/uri-list"_s, uris));
    const ProgramRun copied = finish(copy);
    EXPECT_EQ(copied.exitCode, 0) << copied.errors.toStdString();
    start({u"copy-path"_s});
    EXPECT_TRUE(clipboardHolds(expected));
}

// Shares named as Windows users name them, with a space or beyond ASCII: the link mounts
// the share and opens the file, and the file's Windows path is the link again. The guest
// login chosen for the first share serves the second one on that server unasked.
TEST_F(LinkServices, SharesNamedWithSpacesAndAccentsGoThereAndBack)
{
    ASSERT_EQ(run({u"settings"_s, u"set"_s, u"useBackslash"_s, u"true"_s}).exitCode, 0);
    qsizetype opened = 0;
    for (const QString& share : {u"My Files"_s, u"Données"_s}) {
        SCOPED_TRACE(share.toStdString());
        ASSERT_TRUE(
            QFile(FileServer::shareFolder(share) + u"/a b.txt"_s).open(QIODevice::WriteOnly));
        const QString link = u"\\\\127.0.0.1\\%1\\a b.txt"_s.arg(share);
        QProcess& open = start({u"open-link"_s, link});
        if (opened == 0) {
            ASSERT_TRUE(connectAsGuest()) << "the share's password question did not show";
        }
        const ProgramRun result = finish(open);
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        const QString mounted = FileServer::gvfsFolder(share).value_or(QString()) + u"/a b.txt"_s;
        EXPECT_EQ(viewerArguments(++opened), QStringList {mounted});
        const ProgramRun winpath = run({u"winpath"_s, mounted});
        // GVfs names its folder after the share in lower case; share names are
        // compared without case.
        EXPECT_EQ(winpath.output.toLower(), link.toLower() + u'\n') << winpath.errors.toStdString();
    }
}
