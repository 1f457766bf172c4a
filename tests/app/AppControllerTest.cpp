#include "AppController.h"

#include "TestAppEnvironment.h"
#include "alerts/ProgramTargetQuestion.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"
#include "workspace/ProgramTarget.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class Controller : public testing::Test {
protected:
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QString writeShortcut(const QString& name, const QByteArray& share, const QByteArray& path)
    {
        ShellLinkContents contents;
        contents.netName = share;
        contents.commonPathSuffix = path;
        return writeFile(name, ShellLinkWriter::write(contents));
    }

    QTemporaryDir m_folder;
    TestAppEnvironment m_app;
    AppController m_controller {m_app.environment()};
};

const AppAlert notAShortcut {QStringLiteral("Convert Shortcut Failed"),
    QStringLiteral("Invalid Shortcut File. Failed to create alias.")};

}

TEST_F(Controller, OpensShortcutWithCurrentSettings)
{
    const QString path =
        writeShortcut(QStringLiteral("a.lnk"), "\\\\fs1\\Projects", "plans\\a.doc");
    // An unknown mount method mounts with smb.
    for (const auto& [stored, used] : {std::pair {"NFS", "NFS"}, std::pair {"ftp", "smb"}}) {
        m_app.preferences().setMountMethod(QLatin1String(stored));
        EXPECT_TRUE(m_controller.openFile(path));
        EXPECT_EQ(m_app.opened().last().mountMethod, QLatin1String(used));
    }
    EXPECT_EQ(m_app.opened().first().networkShare, QStringLiteral("//fs1/Projects"));
    EXPECT_EQ(m_app.opened().first().filename, QStringLiteral("plans/a.doc"));
    EXPECT_TRUE(m_app.logLines().contains(
        QStringLiteral("Open shortcut Share: //fs1/Projects file: plans/a.doc")));
    EXPECT_TRUE(m_app.alerts().takeAlerts().isEmpty());
}

TEST_F(Controller, EachFileOfAnOpenRequestGetsItsOwnAlert)
{
    const QString good = writeShortcut(QStringLiteral("good.lnk"), "\\\\s\\x", "a.doc");
    const QString bad = writeFile(QStringLiteral("bad.lnk"), "junk");
    const QString missing = m_folder.filePath(QStringLiteral("missing.lnk"));
    const AppRequestOutcome outcome = m_controller.perform(AppRequest::open({bad, good, missing}));
    EXPECT_EQ(outcome.failures, QStringList(2, notAShortcut.line()));
    EXPECT_EQ(m_app.opened().size(), 1);
    EXPECT_TRUE(m_controller.perform(AppRequest::open({good})).succeeded());

    m_app.setOpenSucceeds(false);
    EXPECT_FALSE(m_controller.openFile(good));
    const QList<AppAlert> alerts = m_app.alerts().takeAlerts();
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_EQ(alerts.last().title, QStringLiteral("Could not follow shortcut"));
    EXPECT_FALSE(alerts.last().message.isEmpty());
}

TEST_F(Controller, OpenLinkRequestReadsTextOrElseSelection)
{
    EXPECT_TRUE(
        m_controller.perform(AppRequest::openLink(QStringLiteral("\\\\a\\b\\c.doc"))).succeeded());
    m_app.setSelection(QStringLiteral("text/html"), "<p>see <a href=\"smb://h/s/d.doc\">d</a></p>");
    EXPECT_TRUE(m_controller.perform(AppRequest::openLink(std::nullopt)).succeeded());
    ASSERT_EQ(m_app.opened().size(), 2);
    EXPECT_EQ(m_app.opened()[0].networkShare, QStringLiteral("//a/b"));
    EXPECT_EQ(m_app.opened()[1].fullFilename, QStringLiteral("smb://h/s/d.doc"));

    m_app.setOpenSucceeds(false);
    const QStringList failures =
        m_controller.perform(AppRequest::openLink(QStringLiteral("X:\\a.doc"))).failures;
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.first().startsWith(QStringLiteral("Could not follow link: ")));
}

TEST_F(Controller, CopyPathRequestReadsFilesOrElseClipboard)
{
    EXPECT_TRUE(m_controller.perform(AppRequest::copyPath(QStringList {QStringLiteral("/a/b")}))
                    .succeeded());
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("/a/b"));
    m_app.setClipboardFiles("file:///c/d\r\nfile:///e\r\n");
    EXPECT_TRUE(m_controller.perform(AppRequest::copyPath(std::nullopt)).succeeded());
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("/c/d\n/e"));
}

TEST(ProgramTargetQuestionWithoutDisplay, RefusesForNobodyCanBeAsked)
{
    TestAppEnvironment app;
    const ProgramTargetVerdict verdict {QStringLiteral("application/x-shellscript"),
        {QStringLiteral("its first bytes are an interpreter line")}};
    EXPECT_FALSE(ProgramTargetQuestion::ask(QStringLiteral("/srv/a.sh"), verdict));
}
