#include "KTDragTextField.h"
#include "KTPasswordSheet.h"
#include "PaneTest.h"
#include "support/LogCapture.h"
#include "support/ScreenCapture.h"
#include "support/ShellLinkWriter.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

// A stand-in for smbpasswd that keeps its arguments and its input, takes its time and
// fails with a text of its own.
const char* const standIn = R"(#!/bin/sh
printf '%s\n' "$@" > "$(dirname "$0")/arguments"
cat > "$(dirname "$0")/input"
sleep 1
printf 'refused: 100%% sure, %%1 %%s\n' >&2
exit 3
)";

class PasswordSheet : public PaneTest {
protected:
    void SetUp() override
    {
        PaneTest::SetUp();
        openWindow();
        m_program = writeFile(QDir(m_folder.path()).filePath(QStringLiteral("smbpasswd")), standIn);
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
            if (texts[index].contains(QLatin1Char('\n')))
                fields()[index]->setText(texts[index]);
            else
                QTest::keyClicks(fields()[index], texts[index]);
        }
    }

    QByteArray kept(const char* name) const
    {
        QFile file(QDir(m_folder.path()).filePath(QLatin1String(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString m_program;
    KTPasswordSheet* m_sheet = nullptr;
};

// Names a file manager can hand over: a line break, quotes, and a path of 4,000 characters.
const QStringList oddNames {QStringLiteral("/srv/a\nb.doc"),
    QStringLiteral("/srv/\"quoted\" 'name' $(x).doc"), QLatin1Char('/') + QString(3999, u'd')};

const QStringList complete {QStringLiteral("bob"), QStringLiteral("srv"), QStringLiteral("old"),
    QStringLiteral("Secret-2"), QStringLiteral("Secret-2")};

}

TEST_F(PasswordSheet, ConfirmNeedsEveryFieldAndTheSameNewPasswordTwice)
{
    fill(complete);
    EXPECT_TRUE(m_sheet->changePasswordButton()->isEnabled());
    for (QLineEdit* field : fields()) {
        const QString text = field->text();
        field->clear();
        EXPECT_FALSE(m_sheet->changePasswordButton()->isEnabled()) << field->text().toStdString();
        QTest::keyClicks(field, text);
        EXPECT_TRUE(m_sheet->changePasswordButton()->isEnabled());
    }
    fill({complete[0], complete[1], complete[2], QStringLiteral("Secret-2"),
        QStringLiteral("secret-2")});
    EXPECT_FALSE(m_sheet->changePasswordButton()->isEnabled());
}

TEST_F(PasswordSheet, ChangeRunsTheProgramWhileTheWindowPaintsAndShowsItsTextAsItStands)
{
    fill(complete);
    const Ticker ticker(20);
    DialogAnswer alert(QStringLiteral("OK"));
    QTest::mouseClick(m_sheet->changePasswordButton(), Qt::LeftButton);
    EXPECT_TRUE(m_sheet->isBusy());
    EXPECT_TRUE(m_sheet->busyIndicator()->isVisible());
    EXPECT_FALSE(m_sheet->changePasswordButton()->isEnabled());
    QTest::qWait(300);
    ScreenCapture::keepAsArtefact(
        ScreenCapture::capture({QStringLiteral("-id"), QString::number(m_sheet->winId())}),
        QStringLiteral("password-sheet-busy.png"));
    ASSERT_TRUE(alert.wait());
    EXPECT_GT(ticker.ticks, 20) << "the event loop stood still while the program ran";

    EXPECT_EQ(alert.title, QStringLiteral("Password Change failed"));
    EXPECT_EQ(alert.text, QStringLiteral("refused: 100% sure, %1 %s\n"));
    EXPECT_EQ(kept("arguments"), QByteArray("-r\nsrv\n-U\nbob\n-s\n"));
    EXPECT_EQ(kept("input"), QByteArray("old\nSecret-2\nSecret-2\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_sheet->isVisible(); }));
    // Nothing typed is lost for the next opening.
    m_pane->openPasswordSheet();
    EXPECT_EQ(m_sheet->oldPasswordField()->text(), QStringLiteral("old"));
    EXPECT_TRUE(m_sheet->changePasswordButton()->isEnabled());
}

// A field not being edited takes the last path as it stands; one being edited takes every
// file at its cursor; dragged text is refused either way.
TEST_F(PasswordSheet, ServerFieldTakesFilesAsItsStateSaysAndRefusesText)
{
    KTDragTextField* server = m_sheet->domainServerField();
    m_sheet->usernameField()->setFocus();
    server->setText(QStringLiteral("before"));
    EXPECT_FALSE(dropText(server, QStringLiteral("dragged")));
    ASSERT_TRUE(dropFiles(server, oddNames));
    EXPECT_EQ(server->text(), oddNames.last());

    server->setFocus();
    server->setText(QStringLiteral("[]"));
    server->setCursorPosition(1);
    EXPECT_FALSE(dropText(server, QStringLiteral("dragged")));
    ASSERT_TRUE(dropFiles(server, oddNames));
    const QString expected = QLatin1Char('[') + oddNames.join(QString()) + QLatin1Char(']');
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->text() == expected; }))
        << server->text().toStdString();
    EXPECT_FALSE(m_sheet->oldPasswordField()->acceptDrops());
}

TEST_F(PasswordSheet, ServerFieldAsksAboutAnUnreadableShortcutThenSaysSoAndInsertsNothing)
{
    // A shortcut by its name; inside, the start of one cut short.
    ShellLinkContents link;
    link.netName = "\\\\fs1\\p";
    link.commonPathSuffix = "a.doc";
    const QString file = writeFile(QDir(m_folder.path()).filePath(QStringLiteral("broken.lnk")),
        ShellLinkWriter::write(link).left(90));
    KTDragTextField* server = m_sheet->domainServerField();
    server->setFocus();
    server->setText(QStringLiteral("kept"));
    DialogAnswer question(QStringLiteral("Insert Shortcut Destination"));
    DialogAnswer failure(QStringLiteral("OK"));
    ASSERT_TRUE(dropFiles(server, {file}));
    ASSERT_TRUE(failure.wait());
    EXPECT_EQ(question.title, QStringLiteral("Dragged Windows Shortcut"));
    EXPECT_EQ(question.text,
        QStringLiteral("You have dragged a Windows Shortcut into the field. Do you want to insert "
                       "the file location itself or the Destination of the Shortcut?"));
    EXPECT_EQ(failure.text,
        QStringLiteral("\u201cbroken.lnk\u201d is not a Windows shortcut that can be read."));
    QTest::qWait(100);
    EXPECT_EQ(server->text(), QStringLiteral("kept"));
}

struct RefusedChange {
    const char* name;
    const char* program; // none: the stand-in
    const char* newPassword;
    const char* message;
};

// Names the case in test listings.
void PrintTo(const RefusedChange& row, std::ostream* out)
{
    *out << row.name;
}

class RefusedPasswordChange : public PasswordSheet,
                              public testing::WithParamInterface<RefusedChange> { };

TEST_P(RefusedPasswordChange, ShowsWhyAndClosesTheSheet)
{
    LogCapture log;
    if (GetParam().program)
        m_pane->setPasswordProgram(QString::fromUtf8(GetParam().program));
    const QString password = QString::fromUtf8(GetParam().newPassword);
    fill({complete[0], complete[1], complete[2], password, password});
    DialogAnswer alert(QStringLiteral("OK"));
    QTest::mouseClick(m_sheet->changePasswordButton(), Qt::LeftButton);
    ASSERT_TRUE(alert.wait());
    EXPECT_EQ(alert.title, QStringLiteral("Password Change failed"));
    EXPECT_TRUE(alert.text.startsWith(QString::fromUtf8(GetParam().message)))
        << alert.text.toStdString();
    EXPECT_TRUE(kept("arguments").isEmpty()) << "the program ran";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_sheet->isVisible(); }));
    if (GetParam().program) {
        EXPECT_TRUE(
            log.lines().join(QLatin1Char('\n')).contains(QStringLiteral("Caught Exception: ")));
    }
}

INSTANTIATE_TEST_SUITE_P(PasswordSheet, RefusedPasswordChange,
    testing::Values(RefusedChange {"LineBreakInPassword", nullptr, "two\nlines",
                        "Invalid Characters in Password"},
        RefusedChange {"MissingProgram", "/nonexistent/smbpasswd", "Secret-2",
            "/nonexistent/smbpasswd could not be started: "}),
    [](const testing::TestParamInfo<RefusedChange>& row) { return std::string(row.param.name); });
