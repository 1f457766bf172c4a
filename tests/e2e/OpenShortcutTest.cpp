#include "EndToEndTest.h"
#include "support/FileServer.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

// kestrova open as the desktop runs it for a double click: the target opens in its default
// application (the recording viewer).
using OpenShortcut = EndToEndTest;

// File names are data: whatever they hold reaches the application as one argument, and
// nothing in them is run.
TEST_F(OpenShortcut, TargetNamesReachTheApplicationAsTheyAre)
{
    const QStringList names = {u"a;b & c.txt"_s, u"$(touch ran).txt"_s, u"`touch ran`.txt"_s,
        u"it's here.txt"_s, u"-rf.txt"_s, u"100%20 sure.txt"_s, u"Übersicht/café plan.txt"_s};
    ASSERT_TRUE(FileServer::gioMount(kShare));
    qsizetype opened = 0;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        putOnShare(name, "text\n");
        const ProgramRun result =
            run({u"open"_s, writeShortcut(u"target.lnk"_s, QString(name).replace(u'/', u'\\'))});
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        EXPECT_EQ(viewerArguments(++opened), QStringList {mountedPath(name)});
    }
    EXPECT_FALSE(QFile::exists(m_work.filePath(u"ran"_s)));
}

// Ctrl held while a shortcut is opened, or createAlias on, turns it into an alias file
// beside it once its target is open; the alias then opens the target itself.
TEST_F(OpenShortcut, ConvertsIntoAnAliasFileWhenAsked)
{
    struct Row {
        const char* name;
        const char* key; // held on the display while kestrova open starts
        bool createAlias;
        const char* target;
        bool blockSidecar; // a folder stands where the alias's sidecar goes
        const char* alertTitle;
        const char* alertMessage;
    };
    const Row rows[] = {
        {"ctrl", "Control_L", false, "doc.txt", false, nullptr, nullptr},
        {"nokey", nullptr, false, "doc.txt", false, nullptr, nullptr},
        {"shift", "Shift_L", false, "doc.txt", false, nullptr, nullptr},
        {"asked", nullptr, true, "doc.txt", false, nullptr, nullptr},
        {"gone", nullptr, true, "gone.txt", false, "Could not follow shortcut",
            "Target file does not exist"},
        {"blocked", nullptr, true, "doc.txt", true, "Could not create alias",
            "Failed to create alias"},
    };
    ASSERT_TRUE(FileServer::gioMount(kShare));
    putOnShare(u"doc.txt"_s, "text\n");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString setting = row.createAlias ? u"true"_s : u"false"_s;
        ASSERT_EQ(run({u"settings"_s, u"set"_s, u"createAlias"_s, setting}).exitCode, 0);
        const QString alias = m_work.filePath(QLatin1String(row.name) + u".txt"_s);
        if (row.blockSidecar) {
            ASSERT_TRUE(
                QDir().mkpath(m_work.filePath(u"._"_s + QLatin1String(row.name) + u".txt"_s)));
        }
        const QString shortcut =
            writeShortcut(QLatin1String(row.name) + u".txt.lnk"_s, QLatin1String(row.target));
        if (row.key)
            runProgram(u"xdotool"_s, {u"keydown"_s, QLatin1String(row.key)});
        QProcess& open = start({u"open"_s, shortcut});
        if (row.alertTitle) {
            expectAlert(open, QLatin1String(row.alertTitle), QLatin1String(row.alertMessage));
        } else {
            const ProgramRun opened = finish(open);
            EXPECT_EQ(opened.exitCode, 0) << opened.errors.toStdString();
        }
        if (row.key)
            runProgram(u"xdotool"_s, {u"keyup"_s, QLatin1String(row.key)});
        const bool controlHeld = row.key && std::string_view(row.key) == "Control_L";
        const bool converted = (row.createAlias || controlHeld) && !row.alertTitle;
        EXPECT_TRUE(QFile::exists(shortcut)) << "the shortcut stays";
        const ProgramRun info = run({u"info"_s, alias});
        EXPECT_EQ(info.exitCode == 0, converted) << info.output.toStdString();
        if (converted) {
            EXPECT_TRUE(info.output.contains(u"target: doc.txt\n"_s)) << info.output.toStdString();
        }
    }
    // The converted shortcut keeps working: its alias file opens the target.
    const qsizetype starts = viewerRecords().size();
    const ProgramRun viaAlias = run({u"open"_s, m_work.filePath(u"ctrl.txt"_s)});
    EXPECT_EQ(viaAlias.exitCode, 0) << viaAlias.errors.toStdString();
    EXPECT_EQ(viewerArguments(starts + 1), QStringList {mountedPath(u"doc.txt"_s)});
}

// Every way opening can fail ends in an alert in front of the user's windows, and the
// command that asked reports the alert and fails. A target that is a program opens only when the
// user says so: the viewer is made the application of program types too, so that a program opened
// by mistake would show in its records.
namespace {

const QString followShortcut = u"Could not follow shortcut"_s;

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
    QProcess& open = start({u"open"_s, writeShortcut(u"missing.lnk"_s, u"gone\\a.txt"_s)});
    dismissWindow(followShortcut);
    const ProgramRun result = finish(open);
    EXPECT_EQ(result.exitCode, 2);
    // Under the alert, where the target was looked for and what is missing there.
    EXPECT_TRUE(result.errors.startsWith(followShortcut
        + u": Target file does not exist\n  Windows path: \\\\127.0.0.1\\share\\gone\\a.txt\n"
          u"  Local path: /"_s))
        << result.errors.toStdString();
    EXPECT_TRUE(result.errors.endsWith(
        u"share=share\u201d holds no folder \u201cgone\u201d: it was moved, renamed or deleted\n"_s))
        << result.errors.toStdString();
    expectAlert(start({u"open"_s, writeShortcut(u"data.lnk"_s, u"data.bin"_s)}), followShortcut,
        QStringLiteral(
            "No application is set to open \u201cdata.bin\u201d (type application/octet-stream)."));
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
        EXPECT_TRUE(result.errors.startsWith(refusal) && result.errors.contains(u"; it starts"_s))
            << result.errors.toStdString();
    }
    EXPECT_TRUE(viewerRecords().isEmpty());
    EXPECT_FALSE(QFile::exists(marker()));
}

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
