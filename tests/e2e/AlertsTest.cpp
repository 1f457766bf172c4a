#include "DesktopUser.h"
#include "EndToEndTest.h"

// Every way opening can fail ends in an alert in front of the user's windows, with the
// exact title and message, and the command that asked reports the alert and fails.
// Unusable selections are reported to the command alone.
namespace {

using Alerts = EndToEndTest;

const QString followShortcut = QStringLiteral("Could not follow shortcut");
const QString followLink = QStringLiteral("Could not follow link");
const QString targetMissing = QStringLiteral("Target file does not exist");

}

TEST_F(Alerts, EachFailureOfAnOpenGetsItsAlert)
{
    mountShare();
    putOnShare(QStringLiteral("data.bin"), QByteArray("\x00\x01\x02\xff\xfe", 5));
    const QString notes = writeFile(QStringLiteral("notes.lnk"), "plain text, not a shell link\n");
    const QString missing =
        writeShortcut(QStringLiteral("missing.lnk"), share(), QStringLiteral("gone\\a.txt"));
    QProcess& open = start({QStringLiteral("open"), notes, missing});
    dismissWindow(QStringLiteral("Convert Shortcut Failed"));
    dismissWindow(followShortcut);
    const ProgramRun result = finish(open);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.errors,
        QStringLiteral("Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.\n")
            + followShortcut + QStringLiteral(": ") + targetMissing + QLatin1Char('\n'));

    expectAlert(
        start({QStringLiteral("open"),
            writeShortcut(QStringLiteral("data.lnk"), share(), QStringLiteral("data.bin"))}),
        followShortcut,
        QStringLiteral(
            "No application is set to open \u201cdata.bin\u201d (type application/octet-stream)."));
    expectAlert(start({QStringLiteral("open-link"), uncPath(QStringLiteral("gone/a.txt"))}),
        followLink, targetMissing);
}

TEST_F(Alerts, ShareThatCannotBeMounted)
{
    const QStringList commands[] = {
        {QStringLiteral("open"),
            writeShortcut(
                QStringLiteral("nosuch.lnk"), QStringLiteral("nosuch"), QStringLiteral("a.txt"))},
        {QStringLiteral("open-link"), QStringLiteral("\\\\127.0.0.1\\nosuch\\a.txt")},
    };
    for (const QStringList& command : commands) {
        QProcess& open = start(command);
        ASSERT_TRUE(DesktopUser::connectAsGuest());
        expectAlert(open, command.first() == QLatin1String("open") ? followShortcut : followLink,
            QStringLiteral("Mount of network drive failed"));
    }
    EXPECT_TRUE(viewerRecords().isEmpty());
}

TEST_F(Alerts, UnusableSelectionsAreReportedWithoutAlert)
{
    struct Case {
        const char* selection;
        const char* type;
        QByteArray data;
        const char* command;
        QString error;
    };
    const QString noSelection =
        QStringLiteral("Error: Pasteboard doesn't contain a proper selection");
    const QList<Case> cases = {
        {"primary", "text/uri-list", "file:///srv/a.doc\r\n", "open-link", noSelection},
        {"primary", "UTF8_STRING", "X:\\caf%C3%A9.doc", "open-link",
            QStringLiteral("Error: Pasteboard contains empty String selection")},
        {"clipboard", "UTF8_STRING", "words, no files", "copy-path", noSelection},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.data.toStdString());
        const DesktopUser::SelectionOwner owner(
            QLatin1String(entry.selection), QLatin1String(entry.type), entry.data);
        ASSERT_TRUE(owner.isServing());
        // An alert would have held the command until the timeout, when it is killed.
        const ProgramRun result = run({QLatin1String(entry.command)});
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.errors, entry.error + QLatin1Char('\n'));
    }
}
