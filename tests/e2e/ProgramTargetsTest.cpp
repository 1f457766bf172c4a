#include "DesktopUser.h"
#include "EndToEndTest.h"

#include <QFile>

// A shortcut is a stranger's file: a target that is a program is opened only when the
// user says so, and Return, the answer nearest to hand, cancels. Texts selected in any
// application never reach a shell. The viewer is made the application of the program
// types as well, so that a program opened by mistake would show in its records.
namespace {

class ProgramTargets : public EndToEndTest {
protected:
    void SetUp() override
    {
        EndToEndTest::SetUp();
        if (IsSkipped())
            return;
        for (const char* type : {"application/x-ms-dos-executable", "application/x-msdownload",
                 "application/x-shellscript", "application/x-desktop", "application/x-executable"})
            addViewerType(QLatin1String(type));
        mountShare();
    }

    QString marker() const { return m_work.filePath(QStringLiteral("ran")); }
    QString touchMarker() const { return QStringLiteral("touch ") + marker(); }
};

}

TEST_F(ProgramTargets, ReturnAtTheQuestionCancelsAndNothingRuns)
{
    struct Target {
        QString name;
        QByteArray contents;
    };
    const QByteArray touch = touchMarker().toUtf8();
    const QList<Target> targets = {
        {QStringLiteral("setup.exe"),
            QByteArray("MZ\x90\x00\x03\x00\x00\x00", 8) + QByteArray(56, '\0')},
        {QStringLiteral("install.sh"), "#!/bin/sh\n" + touch + '\n'},
        {QStringLiteral("tool.desktop"),
            "[Desktop Entry]\nType=Application\nName=Tool\nExec=" + touch + '\n'},
    };
    for (const Target& target : targets) {
        SCOPED_TRACE(target.name.toStdString());
        putOnShare(target.name, target.contents);
        QProcess& open = start({QStringLiteral("open"),
            writeShortcut(QStringLiteral("program.lnk"), share(), target.name)});
        dismissWindow(QStringLiteral("Open program?"));
        dismissWindow(QStringLiteral("Could not follow shortcut"));
        const ProgramRun result = finish(open);
        EXPECT_EQ(result.exitCode, 2);
        const QString refusal = QStringLiteral(
            "Could not follow shortcut: \u201c%1\u201d was not opened because it is a program: "
            "its name ends in .%2")
                                    .arg(target.name, target.name.section(QLatin1Char('.'), -1));
        EXPECT_TRUE(result.errors.startsWith(refusal)) << result.errors.toStdString();
    }
    EXPECT_TRUE(viewerRecords().isEmpty());
    EXPECT_FALSE(QFile::exists(marker()));
}

TEST_F(ProgramTargets, HostileLinkTextsRunNothing)
{
    const QString touch = touchMarker();
    const QString share = QStringLiteral("\\\\127.0.0.1\\share\\");
    const QStringList texts = {share + QStringLiteral("$(%1).txt").arg(touch),
        share + QStringLiteral("a.txt; ") + touch, share + QStringLiteral("`%1`.txt").arg(touch),
        QStringLiteral("\"%1a.txt\" && %2").arg(share, touch),
        share + QStringLiteral("a.txt\n") + touch + QLatin1Char('\n'),
        QStringLiteral("file://127.0.0.1/share/a.txt|") + touch,
        QStringLiteral("'; %1; '").arg(touch),
        QStringLiteral("\\\\127.0.0.1\\$(%1)\\a.txt").arg(touch),
        share + QString(100000, QLatin1Char('a'))};
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(80).toStdString());
        const ProgramRun result =
            finish(startWithoutDisplay({QStringLiteral("open-link"), QStringLiteral("--"), text}));
        EXPECT_EQ(result.exitCode, 2);
        // A share name that may be one is mounted first, so the status line may come first.
        EXPECT_TRUE(result.errors.contains(QStringLiteral("Could not follow link: ")))
            << result.errors.left(300).toStdString();
    }
    EXPECT_TRUE(viewerRecords().isEmpty());
    EXPECT_FALSE(QFile::exists(marker()));
}

TEST_F(ProgramTargets, SelectedPathWithShellCharactersOpensAsItIs)
{
    const QString name = QStringLiteral("$(touch ran); `touch ran` 'x'.txt");
    putOnShare(name, "text\n");
    const DesktopUser::SelectionOwner selection(
        QStringLiteral("primary"), QStringLiteral("UTF8_STRING"), uncPath(name).toUtf8());
    ASSERT_TRUE(selection.isServing());
    const ProgramRun result = run({QStringLiteral("open-link")});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    const std::optional<QJsonObject> record = waitForViewer();
    ASSERT_TRUE(record);
    EXPECT_EQ(argumentsOf(*record), QStringList {mountedPath(name)});
    EXPECT_FALSE(QFile::exists(m_work.filePath(QStringLiteral("ran"))));
}
