#include "PasswordSheet.h"

#include "KTDragTextField.h"
#include "PaneTest.h"
#include "support/LogCapture.h"
#include "support/ScreenCapture.h"
#include "support/ShellLinkWriter.h"

#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A stand-in smbpasswd: keeps its arguments and input, takes its time, fails in its own words.
const char* const standIn = R"(#!/bin/sh
printf '%s\n' "$@" > "$(dirname "$0")/arguments"
cat > "$(dirname "$0")/input"
sleep 1
printf 'refused: 100%% sure, %%1 %%s\n' >&2
exit 3
)";

class PasswordSheetWindow : public PaneTest {
protected:
    void SetUp() override
    {
        PaneTest::SetUp();
        openWindow();
        m_program = writeFile(m_folder.filePath(u"smbpasswd"_s), standIn);
        QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_pane->setPasswordProgram(m_program);
        m_pane->openPasswordSheet();
        m_sheet = m_pane->passwordWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_sheet));
    }
    QList<QLineEdit*> fields() const
    {
        return {m_sheet->usernameField(), m_sheet->domainServerField(), m_sheet->oldPasswordField(),
            m_sheet->passwordField(), m_sheet->passwordVerifyField()};
    }
    void fill(const QStringList& texts)
    {
        for (qsizetype index = 0; index < texts.size(); ++index) {
            fields()[index]->clear();
            // A line break cannot be typed into a field, only pasted.
            if (texts[index].contains(u'\n'))
                fields()[index]->setText(texts[index]);
            else
                QTest::keyClicks(fields()[index], texts[index]);
        }
    }
    QByteArray kept(const char* name) const
    {
        return readFile(m_folder.filePath(QLatin1String(name)));
    }
    QString m_program;
    PasswordSheet* m_sheet = nullptr;
};

// Names a file manager can hand over: a line break, quotes, and a path of 4,000 characters.
const QStringList oddNames {
    u"/srv/a\nb.doc"_s, u"/srv/\"quoted\" 'name' $(x).doc"_s, u'/' + QString(3999, u'd')};

const QStringList complete {u"bob"_s, u"srv"_s, u"old"_s, u"Secret-2"_s, u"Secret-2"_s};

}

// The button needs every field and the same new password twice; the change keeps painting.
TEST_F(PasswordSheetWindow, ChangeNeedsEveryFieldThenRunsTheProgramWhileTheWindowPaints)
{
    fill({complete[0], complete[1], complete[2], u"Secret-2"_s, u"secret-2"_s});
    EXPECT_FALSE(m_sheet->changePasswordButton()->isEnabled());
    fill(complete);
    for (QLineEdit* field : fields()) {
        const QString text = field->text();
        field->clear();
        EXPECT_FALSE(m_sheet->changePasswordButton()->isEnabled()) << field->text().toStdString();
        QTest::keyClicks(field, text);
    }
    EXPECT_TRUE(m_sheet->changePasswordButton()->isEnabled());
    const Ticker ticker(20);
    DialogAnswer alert(u"OK"_s);
    QTest::mouseClick(m_sheet->changePasswordButton(), Qt::LeftButton);
    EXPECT_TRUE(m_sheet->isBusy() && m_sheet->busyIndicator()->isVisible());
    EXPECT_FALSE(m_sheet->changePasswordButton()->isEnabled());
    QTest::qWait(300);
    ScreenCapture::keepAsArtefact(
        ScreenCapture::capture({u"-id"_s, QString::number(m_sheet->winId())}),
        u"password-sheet-busy.png"_s);
    ASSERT_TRUE(alert.wait());
    EXPECT_GT(ticker.ticks, 20) << "the event loop stood still while the program ran";
    EXPECT_EQ(alert.title, u"Password Change failed"_s);
    EXPECT_EQ(alert.text, u"refused: 100% sure, %1 %s\n"_s);
    EXPECT_EQ(kept("arguments"), QByteArray("-r\nsrv\n-U\nbob\n-s\n"));
    EXPECT_EQ(kept("input"), QByteArray("old\nSecret-2\nSecret-2\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_sheet->isVisible(); }));
    m_pane->openPasswordSheet();
    EXPECT_EQ(m_sheet->oldPasswordField()->text(), u"old"_s) << "typed text lost";
    EXPECT_TRUE(m_sheet->changePasswordButton()->isEnabled());
}

// Not being edited, the field takes the last path; being edited, every file at the cursor;
// of an unreadable shortcut it says so and inserts nothing.
TEST_F(PasswordSheetWindow, ServerFieldTakesFilesAsItsStateSaysAndRefusesTextAndBrokenShortcuts)
{
    KTDragTextField* server = m_sheet->domainServerField();
    m_sheet->usernameField()->setFocus();
    server->setText(u"before"_s);
    EXPECT_FALSE(dropText(server, u"dragged"_s));
    ASSERT_TRUE(dropFiles(server, oddNames));
    EXPECT_EQ(server->text(), oddNames.last());
    server->setFocus();
    server->setText(u"[]"_s);
    server->setCursorPosition(1);
    EXPECT_FALSE(dropText(server, u"dragged"_s));
    ASSERT_TRUE(dropFiles(server, oddNames));
    const QString expected = u'[' + oddNames.join(QString()) + u']';
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->text() == expected; }))
        << server->text().toStdString();
    EXPECT_FALSE(m_sheet->oldPasswordField()->acceptDrops());
    // A shortcut by its name; inside, the start of one cut short.
    ShellLinkContents link;
    link.netName = "\\\\fs1\\p";
    link.commonPathSuffix = "a.doc";
    const QString file =
        writeFile(m_folder.filePath(u"broken.lnk"_s), ShellLinkWriter::write(link).left(90));
    server->setText(u"kept"_s);
    DialogAnswer question(u"Insert Shortcut Destination"_s);
    DialogAnswer failure(u"OK"_s);
    ASSERT_TRUE(dropFiles(server, {file}));
    ASSERT_TRUE(failure.wait());
    EXPECT_EQ(question.title, u"Dragged Windows Shortcut"_s);
    EXPECT_EQ(question.text,
        u"You have dragged a Windows Shortcut into the field. Do you want to insert "
        u"the file location itself or the Destination of the Shortcut?"_s);
    EXPECT_EQ(
        failure.text, u"\u201cbroken.lnk\u201d is not a Windows shortcut that can be read."_s);
    QTest::qWait(100);
    EXPECT_EQ(server->text(), u"kept"_s);
}

// A line break in the password, and a program that is missing: the program never runs.
TEST_F(PasswordSheetWindow, RefusedChangeShowsWhyAndClosesTheSheet)
{
    const char* const cases[][3] = {{nullptr, "two\nlines", "Invalid Characters in Password"},
        {"/nonexistent/smbpasswd", "Secret-2", "/nonexistent/smbpasswd could not be started: "}};
    for (const auto& [program, newPassword, message] : cases) {
        SCOPED_TRACE(message);
        LogCapture log;
        m_pane->setPasswordProgram(program ? QString::fromUtf8(program) : m_program);
        if (!m_sheet->isVisible())
            m_pane->openPasswordSheet();
        const QString password = QString::fromUtf8(newPassword);
        fill({complete[0], complete[1], complete[2], password, password});
        DialogAnswer alert(u"OK"_s);
        QTest::mouseClick(m_sheet->changePasswordButton(), Qt::LeftButton);
        ASSERT_TRUE(alert.wait());
        EXPECT_EQ(alert.title, u"Password Change failed"_s);
        EXPECT_TRUE(alert.text.startsWith(QString::fromUtf8(message))) << alert.text.toStdString();
        EXPECT_TRUE(kept("arguments").isEmpty()) << "the program ran";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !m_sheet->isVisible(); }));
        EXPECT_TRUE(!program || log.lines().join(u'\n').contains(u"Caught Exception: "_s));
    }
}
