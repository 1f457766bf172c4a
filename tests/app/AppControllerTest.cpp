#include "AppController.h"

#include "TerminalFolder.h"
#include "TestAppEnvironment.h"
#include "alerts/ProgramTargetQuestion.h"
#include "support/QtPrinters.h"
#include "workspace/ProgramTarget.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The requests of open-link and copy-path reach the controller over the bus in
// InstanceHandover, which checks them there.
namespace {

class Controller : public testing::Test {
protected:
    TerminalFolder m_folder;
    TestAppEnvironment m_app;
    AppController m_controller {m_app.environment()};
};

const AppAlert notAShortcut {
    u"Convert Shortcut Failed"_s, u"Invalid Shortcut File. Failed to create alias."_s};

}

TEST_F(Controller, OpensShortcutWithCurrentSettings)
{
    const QString path = m_folder.writeShortcut(u"a.lnk"_s, "\\\\fs1\\Projects", "plans\\a.doc");
    // An unknown mount method mounts with smb.
    for (const auto& [stored, used] : {std::pair {"NFS", "NFS"}, std::pair {"ftp", "smb"}}) {
        m_app.preferences().setMountMethod(QLatin1String(stored));
        EXPECT_TRUE(m_controller.openFile(path));
        EXPECT_EQ(m_app.opened().last().mountMethod, QLatin1String(used));
    }
    EXPECT_EQ(m_app.opened().first().networkShare, u"//fs1/Projects"_s);
    EXPECT_EQ(m_app.opened().first().filename, u"plans/a.doc"_s);
    EXPECT_TRUE(
        m_app.logLines().contains(u"Open shortcut Share: //fs1/Projects file: plans/a.doc"_s));
    EXPECT_TRUE(m_app.alerts().takeAlerts().isEmpty());
}

TEST_F(Controller, EachFileOfAnOpenRequestGetsItsOwnAlert)
{
    const QString good = m_folder.writeShortcut(u"good.lnk"_s, "\\\\s\\x", "a.doc");
    const QString bad = m_folder.write(u"bad.lnk"_s, "junk");
    const QString missing = m_folder.filePath(u"missing.lnk"_s);
    const AppRequestOutcome outcome = m_controller.perform(AppRequest::open({bad, good, missing}));
    EXPECT_EQ(outcome.failures,
        QStringList({notAShortcut.line(), bad + u": not a Windows shortcut"_s, notAShortcut.line(),
            missing + u": no such file"_s}));
    EXPECT_EQ(m_app.opened().size(), 1);
    EXPECT_TRUE(m_controller.perform(AppRequest::open({good})).succeeded());

    m_app.setOpenSucceeds(false);
    EXPECT_FALSE(m_controller.openFile(good));
    const QList<AppAlert> alerts = m_app.alerts().takeAlerts();
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_EQ(alerts.last().title, u"Could not follow shortcut"_s);
    EXPECT_FALSE(alerts.last().message.isEmpty());
}

TEST(ProgramTargetQuestionWithoutDisplay, RefusesForNobodyCanBeAsked)
{
    TestAppEnvironment app;
    const ProgramTargetVerdict verdict {
        u"application/x-shellscript"_s, {u"its first bytes are an interpreter line"_s}};
    EXPECT_FALSE(ProgramTargetQuestion::ask(u"/srv/a.sh"_s, verdict));
}
