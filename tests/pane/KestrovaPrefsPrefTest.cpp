#include "FileManagerActionsBox.h"
#include "KTDragTextField.h"
#include "PaneTest.h"
#include "PasswordSheet.h"
#include "ShortcutOpenPanel.h"
#include "support/LogCapture.h"
#include "support/ProgramRun.h"
#include "support/ScreenCapture.h"
#include "support/SessionBus.h"
#include "support/ShellLinkWriter.h"
#include "tools/PrivateDesktop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

using Pane = PaneTest;

QJsonArray mappings(int count)
{
    QJsonArray list;
    for (int index = 0; index < count; ++index) {
        list.append(QJsonObject {{u"driveLetter"_s, u"X%1:"_s.arg(index)},
            {u"driveName"_s, u"\\\\fs\\s%1"_s.arg(index)}});
    }
    return list;
}

// Types the text into the cell as a person does: starts editing, types, presses Enter.
void typeIntoCell(QTableView* table, int row, int column, const QString& text)
{
    const QModelIndex cell = table->model()->index(row, column);
    table->setCurrentIndex(cell);
    table->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(table->viewport()->focusWidget());
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}

void keepScreenshot(QWidget* window, const QString& name)
{
    QTest::qWait(200);
    ScreenCapture::keepAsArtefact(
        ScreenCapture::capture({u"-id"_s, QString::number(window->winId())}), name);
}

TEST_F(Pane, ChangesReachTheRunningInstanceAndTheSettingsCommandOnlyOnceTheWindowIsClosed)
{
    writeSettings(R"({"driveMapping": [{"driveLetter": "Q:", "driveName": "\\\\old\\q"},
        {"driveLetter": "R:", "driveName": "\\\\old\\r"}]})");
    QProcess instance;
    instance.setProcessEnvironment(programEnvironment());
    instance.start(QStringLiteral(KESTROVA_BINARY), {u"service"_s});
    QDBusConnection bus = SessionBus::connect();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return bus.interface()->isServiceRegistered(u"com.dovrane.Kestrova"_s).value(); },
        20000));
    const auto copiedPath = [&] {
        runProgram(QStringLiteral(KESTROVA_BINARY), {u"copy-path"_s, u"/srv/a.doc"_s},
            programEnvironment());
        return runProgram(u"xclip"_s, {u"-o"_s, u"-selection"_s, u"clipboard"_s}).output;
    };
    PreferencesNotifier listener(bus, u"com.dovrane.Kestrova"_s);
    QSignalSpy notified(&listener, &PreferencesNotifier::changed);
    openWindow();
    const PrefsOutlets& o = m_pane->outlets();
    EXPECT_EQ(o.mountMethodPopUp->currentText(), u"smb"_s) << "the default";
    QTest::mouseClick(o.showDetailButton, Qt::LeftButton);
    for (QCheckBox* box : {o.createAliasButton, o.useBackslashButton, o.enableMappingButton,
             o.enableUseQuotationMarkButton, o.dfsInstalledButton}) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    }
    o.mountMethodPopUp->setFocus();
    QTest::keyClick(o.mountMethodPopUp, Qt::Key_Down);
    // The first mapping removed, one added and typed in, the other's share browsed for.
    o.mappingTable->selectRow(0);
    QTest::mouseClick(o.removeMappingButton, Qt::LeftButton);
    QTest::mouseClick(o.addMappingButton, Qt::LeftButton);
    QTest::keyClick(o.mappingTable->viewport()->focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(m_pane->driveMapArray().at(1).mapFrom(), u"Map From"_s);
    EXPECT_EQ(m_pane->driveMapArray().at(1).mapTo(), u"Map To"_s);
    typeIntoCell(o.mappingTable, 1, 0, u"X:"_s);
    typeIntoCell(o.mappingTable, 1, 1, u"\\\\fs1\\data"_s);
    o.mappingTable->selectRow(0);
    QTest::mouseClick(o.browseMapToButton, Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_pane->openPanel() && m_pane->openPanel()->isVisible(); }));
    ShortcutOpenPanel* panel = m_pane->openPanel();
    EXPECT_EQ(panel->windowTitle(), u"Select Directory"_s);
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), u"Choose"_s);
    panel->setDirectory(QFileInfo(m_folder.path()).path());
    panel->selectFile(m_folder.path());
    panel->accept();
    EXPECT_EQ(copiedPath(), u"/srv/a.doc"_s);
    EXPECT_TRUE(notified.isEmpty());
    m_window->close();
    EXPECT_TRUE(notified.wait(5000) || !notified.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return copiedPath() == u"\"\\srv\\a.doc\""_s; }, 10000));
    instance.terminate();
    instance.waitForFinished();
    const QString listing =
        runProgram(QStringLiteral(KESTROVA_BINARY), {u"settings"_s}, programEnvironment()).output;
    for (const QString& line : {u"createAlias        true"_s, u"dfsInstalled       true"_s,
             u"mountMethod        afp"_s, u"driveMapping       R: -> "_s + m_folder.path(),
             QString(19, u' ') + u"X: -> \\\\fs1\\data"_s})
        EXPECT_TRUE(listing.contains(line + u'\n')) << listing.toStdString();
}

// Odd settings are shown as well as they can be and kept where not changed; the details
// come and go at the window's bottom edge; Help opens with the desktop's browser.
TEST_F(Pane, OddSettingsAreShownAndKeptAndDetailsComeAndGoAtTheBottomEdge)
{
    QJsonArray list = mappings(3000);
    list.insert(1, u"no mapping"_s);
    list.insert(2, QJsonObject {{u"driveLetter"_s, 5}, {u"driveName"_s, u"\u0001line\nbreak"_s}});
    list.insert(3,
        QJsonObject {{u"driveLetter"_s, u"Y:"_s}, {u"driveName"_s, QString(5000, u's')},
            {u"note"_s, QJsonArray {1, 2}}});
    const QJsonObject odd {{u"driveMapping"_s, list}, {u"mountMethod"_s, u"webdav"_s},
        {u"createAlias"_s, u"true"_s}, {u"useBackslash"_s, 1}};
    writeSettings(QJsonDocument(odd).toJson());
    const QByteArray before = storedBytes();
    openWindow();
    const PrefsOutlets& first = m_pane->outlets();
    EXPECT_EQ(first.mappingTable->model()->rowCount(), 3002);
    EXPECT_EQ(first.mountMethodPopUp->currentIndex(), -1);
    EXPECT_EQ(first.mountMethodPopUp->placeholderText(), u"webdav"_s);
    EXPECT_FALSE(first.createAliasButton->isChecked() || first.useBackslashButton->isChecked());
    m_window->close();
    EXPECT_EQ(storedBytes(), before);
    openWindow();
    const PrefsOutlets& o = m_pane->outlets();
    EXPECT_FALSE(o.expertSettingsBox->isVisible());
    QTest::qWait(300);
    const QRect hidden = m_window->geometry();
    QTest::mouseClick(o.showDetailButton, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->height() > hidden.height(); }));
    EXPECT_EQ(m_window->geometry().top(), hidden.top());
    EXPECT_LT(o.expertSettingsBox->geometry().bottom(), o.showDetailButton->geometry().top());
    EXPECT_EQ(title(o.showDetailButton), u"Hide Details"_s);
    QTest::mouseClick(o.showDetailButton, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->height() == hidden.height(); }));
    EXPECT_EQ(m_window->geometry().top(), hidden.top());
    EXPECT_EQ(title(o.showDetailButton), u"Show Details"_s);
    const QString readMe = QStringLiteral(KESTROVA_SOURCE_DIR "/data/ReadMe.html");
    m_pane->setHelpDocumentPath(readMe);
    QTest::mouseClick(o.helpButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return !paneDesktop().records().isEmpty(); }, 10000));
    const QJsonObject record = paneDesktop().records().constLast();
    EXPECT_TRUE(record.value(u"arguments"_s).toArray().contains(readMe));
    ::kill(pid_t(record.value(u"pid"_s).toInteger()), SIGTERM);
    typeIntoCell(m_pane->outlets().mappingTable, 2, 0, u"Z:"_s);
    m_window->close();
    QJsonObject edited = list.at(3).toObject();
    edited.insert(u"driveLetter"_s, u"Z:"_s);
    list.replace(3, edited);
    EXPECT_TRUE(storedSettings().value(u"driveMapping"_s) == list);
    EXPECT_EQ(storedSettings().value(u"mountMethod"_s), u"webdav"_s);
}

TEST_F(Pane, ClosingWhenTheSettingsCannotBeSavedSaysWhyAndMayKeepTheWindow)
{
    // A file where the settings folder should be: nothing can be written.
    writeFile(m_folder.filePath(u"config"_s), "not a folder");
    openWindow();
    QTest::mouseClick(m_pane->outlets().addMappingButton, Qt::LeftButton);
    DialogAnswer keep(u"Keep Window Open"_s);
    m_window->close();
    EXPECT_EQ(keep.title, u"Settings Not Saved"_s);
    EXPECT_TRUE(m_window->isVisible());
    DialogAnswer discard(u"Close Without Saving"_s);
    m_window->close();
    EXPECT_TRUE(discard.answered);
    EXPECT_FALSE(m_window->isVisible());
}

// The section shows the installed file managers; its button turns their actions on and
// says that a running Thunar must be restarted to show them.
TEST_F(Pane, FileManagerSectionTurnsTheActionsOnAndSaysToRestartThunar)
{
    const QDir home(m_folder.path());
    for (const char* folder : {"config/Thunar", "share/applications", "data"})
        ASSERT_TRUE(home.mkpath(QLatin1String(folder)));
    writeFile(home.filePath(u"share/applications/thunar.desktop"_s));
    writeFile(home.filePath(u"share/applications/org.gnome.Nautilus.desktop"_s));
    writeFile(home.filePath(u"config/Thunar/uca.xml"_s), "<actions><action/></actions>");
    QDBusConnection thunar = SessionBus::connect();
    ASSERT_TRUE(thunar.registerService(u"org.xfce.Thunar"_s));
    openWindow();
    FileManagerActionsBox* box = m_pane->outlets().fileManagerActionsBox;
    box->setActions(FileManagerActions(
        {home.filePath(u"config"_s), {}, home.filePath(u"data"_s), {home.filePath(u"share"_s)}, {}},
        QStringLiteral(KESTROVA_SOURCE_DIR "/data/file-managers"), SessionBus::connect()));
    EXPECT_EQ(box->shownStates(), (QStringList {u"Nautilus: Off"_s, u"Thunar: Off"_s}));
    keepScreenshot(m_window.get(), u"settings-window-actions-off.png"_s);
    QTest::mouseClick(box->turnOnButton(), Qt::LeftButton);
    EXPECT_EQ(box->shownStates(), (QStringList {u"Nautilus: On"_s, u"Thunar: On"_s}));
    EXPECT_FALSE(box->turnOnButton()->isEnabled());
    EXPECT_EQ(box->messageLabel()->text(), FileManagerActions::thunarRestartAdvice());
    QTest::mouseClick(m_pane->outlets().showDetailButton, Qt::LeftButton);
    QTest::qWait(300);
    const QRect message = box->messageLabel()->geometry();
    EXPECT_TRUE(box->messageLabel()->isVisible() && message.bottom() < box->height());
    EXPECT_LE(m_window->frameGeometry().height(), 700) << "taller than a 1366x768 screen allows";
    keepScreenshot(m_window.get(), u"settings-window-actions-on.png"_s);
}

QString activeWindowName()
{
    return runProgram(u"xdotool"_s, {u"getactivewindow"_s, u"getwindowname"_s}).output.trimmed();
}

// A second start raises the first window; the first stores the table however it ends: by a
// signal, or closed by the window manager (0).
TEST_F(Pane, SettingsProgramKeepsOneWindowAndStoresTheTableHoweverItEnds)
{
    QWidget other;
    other.setWindowTitle(u"Another application"_s);
    for (const int ending : {SIGTERM, SIGHUP, 0}) {
        SCOPED_TRACE(ending);
        writeSettings("{}");
        QProcess program; // killed, if still running, when it goes
        program.setProcessEnvironment(programEnvironment());
        program.start(QStringLiteral(KESTROVA_SETTINGS_BINARY), {});
        ASSERT_TRUE(program.waitForStarted());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return activeWindowName() == u"Kestrova Settings"_s; }, 20000));
        ASSERT_TRUE(SessionBus::connect()
                        .interface()
                        ->isServiceRegistered(u"com.dovrane.Kestrova.Settings"_s)
                        .value());
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([] { return activeWindowName() == u"Another application"_s; }));
        const ProgramRun second =
            runProgram(QStringLiteral(KESTROVA_SETTINGS_BINARY), {}, programEnvironment());
        EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();
        EXPECT_TRUE(QTest::qWaitFor([] { return activeWindowName() == u"Kestrova Settings"_s; }));
        PreferencesNotifier listener(SessionBus::connect(), u"com.dovrane.Kestrova"_s);
        QSignalSpy notified(&listener, &PreferencesNotifier::changed);
        if (ending)
            ::kill(pid_t(program.processId()), ending);
        else
            QProcess::execute(u"xdotool"_s, {u"key"_s, u"alt+F4"_s});
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        // With no list stored, leaving the window stores an empty one.
        EXPECT_EQ(storedSettings().value(u"driveMapping"_s), QJsonValue(QJsonArray()));
        EXPECT_TRUE(!notified.isEmpty() || notified.wait(5000));
        EXPECT_FALSE(QFile::exists(m_folder.filePath(u"state/kestrova/exceptions.log"_s)));
    }
}

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

// Names a file manager can hand over: a line break, quotes, a Latin-1 byte (kept as the
// character that stands for it), and a path of 4,000 characters.
const QStringList oddNames {u"/srv/a\nb.doc"_s, u"/srv/\"quoted\" 'name' $(x).doc"_s,
    u"/srv/caf\xdce9.doc"_s, u'/' + QString(3999, u'd')};

const QStringList complete {u"bob"_s, u"srv"_s, u"old"_s, u"Secret-2"_s, u"Secret-2"_s};

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
    keepScreenshot(m_sheet, u"password-sheet-busy.png"_s);
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
    const QString file = writeFile(m_folder.filePath(u"broken.lnk"_s),
        ShellLinkWriter::write({.netName = "\\\\fs1\\p", .commonPathSuffix = "a.doc"}).left(90));
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

}
