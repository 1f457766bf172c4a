#include "EndToEndTest.h"
#include "support/FileServer.h"

#include <QFile>

using namespace Qt::StringLiterals;

// Every way opening can fail ends in an alert in front of the user's windows, and the
// command that asked reports the alert and fails. A target that is a program opens only when the
// user says so: the viewer is made the application of program types too, so that a program opened
// by mistake would show in its records.
namespace {

const QString followShortcut = u"Could not follow shortcut"_s;
const QString targetMissing = u"Target file does not exist"_s;

class Alerts : public EndToEndTest {
protected:
    void SetUp() override
    {
        EndToEndTest::SetUp();
        if (IsSkipped())
            return;
        for (const char* type : {"application/x-ms-dos-executable", "application/x-msdownload",
                 "application/x-shellscript", "application/x-desktop", "application/x-executable"})
            addViewerType(QLatin1String(type));
    }

    QString marker() const { return m_work.filePath(u"ran"_s); }
};

}

TEST_F(Alerts, EachFailureOfAnOpenGetsItsAlert)
{
    ASSERT_TRUE(FileServer::gioMount(kShare));
    putOnShare(u"data.bin"_s, QByteArray("\x00\x01\x02\xff\xfe", 5));
    const QString notes = writeFile(u"notes.lnk"_s, "plain text, not a shell link\n");
    const QString missing = writeShortcut(u"missing.lnk"_s, u"gone\\a.txt"_s);
    QProcess& open = start({u"open"_s, notes, missing});
    dismissWindow(u"Convert Shortcut Failed"_s);
    dismissWindow(followShortcut);
    const ProgramRun result = finish(open);
    EXPECT_EQ(result.exitCode, 2);
    // Under the alert, where the target was looked for and what is missing there.
    EXPECT_TRUE(result.errors.startsWith(
        u"Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.\n"_s + notes
        + u": not a Windows shortcut\n"_s + followShortcut + u": "_s + targetMissing
        + u"\n  Windows path: \\\\127.0.0.1\\share\\gone\\a.txt\n  Local path: /"_s))
        << result.errors.toStdString();
    EXPECT_TRUE(result.errors.endsWith(
        u"share=share\u201d holds no folder \u201cgone\u201d: it was moved, renamed or deleted\n"_s))
        << result.errors.toStdString();
    expectAlert(start({u"open"_s, writeShortcut(u"data.lnk"_s, u"data.bin"_s)}), followShortcut,
        QStringLiteral(
            "No application is set to open \u201cdata.bin\u201d (type application/octet-stream)."));
}

// A link's failures have alerts of their own (a shortcut's mount fails as a link's does).
TEST_F(Alerts, ShareThatCannotBeMounted)
{
    QProcess& open = start({u"open-link"_s, u"\\\\127.0.0.1\\nosuch\\a.txt"_s});
    ASSERT_TRUE(connectAsGuest());
    expectAlert(open, u"Could not follow link"_s, u"Mount of network drive failed"_s);
    EXPECT_TRUE(viewerRecords().isEmpty());
}

// Return, the answer nearest to hand, cancels the question.
TEST_F(Alerts, ReturnAtTheProgramQuestionCancelsAndNothingRuns)
{
    ASSERT_TRUE(FileServer::gioMount(kShare));
    const QByteArray touch = "touch " + marker().toUtf8();
    const QList<QPair<QString, QByteArray>> targets = {
        {u"setup.exe"_s, QByteArray("MZ\x90\x00\x03\x00\x00\x00", 8) + QByteArray(56, '\0')},
        {u"install.sh"_s, "#!/bin/sh\n" + touch + '\n'},
        {u"tool.desktop"_s, "[Desktop Entry]\nType=Application\nName=Tool\nExec=" + touch + '\n'}};
    for (const auto& [name, contents] : targets) {
        SCOPED_TRACE(name.toStdString());
        putOnShare(name, contents);
        QProcess& open = start({u"open"_s, writeShortcut(u"program.lnk"_s, name)});
        dismissWindow(u"Open program?"_s);
        dismissWindow(followShortcut);
        const ProgramRun result = finish(open);
        EXPECT_EQ(result.exitCode, 2);
        const QString refusal =
            QStringLiteral("Could not follow shortcut: \u201c%1\u201d was not "
                           "opened because it is a program: its name ends in .%2")
                .arg(name, name.section(QLatin1Char('.'), -1));
        EXPECT_TRUE(result.errors.startsWith(refusal)) << result.errors.toStdString();
    }
    EXPECT_TRUE(viewerRecords().isEmpty());
    EXPECT_FALSE(QFile::exists(marker()));
}

// Texts selected in any application never reach a shell.
TEST_F(Alerts, HostileLinkTextsRunNothing)
{
    ASSERT_TRUE(FileServer::gioMount(kShare));
    const QString touch = u"touch "_s + marker();
    const QString share = u"\\\\127.0.0.1\\share\\"_s;
    const QStringList texts = {share + u"$(%1).txt"_s.arg(touch), share + u"a.txt; "_s + touch,
        share + u"`%1`.txt"_s.arg(touch), u"\"%1a.txt\" && %2"_s.arg(share, touch),
        share + u"a.txt\n"_s + touch + QLatin1Char('\n'),
        u"file://127.0.0.1/share/a.txt|"_s + touch, u"'; %1; '"_s.arg(touch),
        u"\\\\127.0.0.1\\$(%1)\\a.txt"_s.arg(touch), share + QString(100000, QLatin1Char('a'))};
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(80).toStdString());
        const ProgramRun result = finish(startWithoutDisplay({u"open-link"_s, u"--"_s, text}));
        EXPECT_EQ(result.exitCode, 2);
        // A share name that may be one is mounted first, so the status line may come first.
        EXPECT_TRUE(result.errors.contains(u"Could not follow link: "_s))
            << result.errors.left(300).toStdString();
    }
    EXPECT_TRUE(viewerRecords().isEmpty());
    EXPECT_FALSE(QFile::exists(marker()));
}
