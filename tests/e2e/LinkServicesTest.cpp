#include "DesktopUser.h"
#include "EndToEndTest.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QUrl>

// open-link and copy-path between real applications: the selection and the clipboard
// are held by another program (xclip), the files are on the mounted share.
namespace {

class LinkServices : public EndToEndTest {
protected:
    void SetUp() override
    {
        EndToEndTest::SetUp();
        if (!IsSkipped())
            mountShare();
    }

    // Runs open-link, which reads the selection, and checks that the viewer got the
    // file of the share at relativePath on the mount.
    void expectOpenLinkOpens(const QString& relativePath)
    {
        const ProgramRun result = run({QStringLiteral("open-link")});
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        const std::optional<QJsonObject> record = waitForViewer();
        ASSERT_TRUE(record);
        EXPECT_EQ(argumentsOf(*record), QStringList {mountedPath(relativePath)});
    }

    static bool clipboardHolds(const QString& text)
    {
        const QDeadlineTimer deadline(20000);
        while (DesktopUser::readSelection(QStringLiteral("clipboard")) != text) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(50);
        }
        return true;
    }
};

}

TEST_F(LinkServices, OpenLinkOpensTheWindowsPathSelectedInAnotherApplication)
{
    putOnShare(QStringLiteral("docs/minutes.txt"), "Monday\n");
    const DesktopUser::SelectionOwner selection(QStringLiteral("primary"),
        QStringLiteral("UTF8_STRING"), uncPath(QStringLiteral("docs/minutes.txt")).toUtf8());
    ASSERT_TRUE(selection.isServing());

    expectOpenLinkOpens(QStringLiteral("docs/minutes.txt"));
}

TEST_F(LinkServices, OpenLinkFollowsTheHyperlinkOfSelectedRichText)
{
    putOnShare(QStringLiteral("docs/b c.txt"), "linked\n");
    // The second word carries the link; the visible words name no file at all.
    const DesktopUser::SelectionOwner selection(QStringLiteral("primary"),
        QStringLiteral("text/html"),
        "<p>Read <a href=\"file://127.0.0.1/share/docs/b%20c.txt\">these</a> minutes</p>");
    ASSERT_TRUE(selection.isServing());

    expectOpenLinkOpens(QStringLiteral("docs/b c.txt"));
}

TEST_F(LinkServices, CopyPathPutsMappedWindowsPathsOnTheClipboard)
{
    putOnShare(QStringLiteral("dir/a.doc"), "a");
    putOnShare(QStringLiteral("dir/b.doc"), "b");
    configure(
        {QStringLiteral("map"), QStringLiteral("X:"), QStringLiteral("\\\\127.0.0.1\\share")});
    configure({QStringLiteral("set"), QStringLiteral("mappingEnabled"), QStringLiteral("true")});
    configure({QStringLiteral("set"), QStringLiteral("useBackslash"), QStringLiteral("true")});
    configure({QStringLiteral("set"), QStringLiteral("useQuotationMarks"), QStringLiteral("true")});
    const QStringList files = {
        mountedPath(QStringLiteral("dir/a.doc")), mountedPath(QStringLiteral("dir/b.doc"))};
    const QString expected = QStringLiteral("\"X:\\dir\\a.doc\"\n\"X:\\dir\\b.doc\"");

    // The command that filled the clipboard keeps it until another program takes it.
    QProcess& copy = start(QStringList {QStringLiteral("copy-path")} + files);
    EXPECT_TRUE(clipboardHolds(expected))
        << DesktopUser::readSelection(QStringLiteral("clipboard")).toStdString();
    EXPECT_FALSE(copy.waitForFinished(1500)) << "the clipboard's owner ended";
    {
        // A file manager copies the files; copy-path without files reads them there.
        QByteArray uris;
        for (const QString& file : files)
            uris += QUrl::fromLocalFile(file).toEncoded() + "\r\n";
        const DesktopUser::SelectionOwner other(
            QStringLiteral("clipboard"), QStringLiteral("text/uri-list"), uris);
        EXPECT_TRUE(other.isServing());
        const ProgramRun copied = finish(copy);
        EXPECT_EQ(copied.exitCode, 0) << copied.errors.toStdString();
        start({QStringLiteral("copy-path")});
        EXPECT_TRUE(clipboardHolds(expected));
    }

    // A file with no Windows path gets its message; the others are still printed.
    const QString gone = mountedPath(QStringLiteral("dir/gone.doc"));
    const ProgramRun printed = run({QStringLiteral("winpath"), files.first(), gone, files.last()});
    EXPECT_EQ(printed.exitCode, 2);
    EXPECT_EQ(printed.output, expected + QLatin1Char('\n'));
    EXPECT_EQ(printed.errors, QStringLiteral("kestrova: winpath: %1: no such file\n").arg(gone));
}
