#include "KTShortcutOpenPanel.h"
#include "PaneTest.h"
#include "support/ProgramRun.h"
#include "support/ScreenCapture.h"
#include "tools/PrivateDesktop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnectionInterface>
#include <QGroupBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <csignal>

namespace {

using Pane = PaneTest;

QJsonArray mappings(int count)
{
    QJsonArray list;
    for (int index = 0; index < count; ++index) {
        list.append(QJsonObject {{QStringLiteral("driveLetter"), QStringLiteral("X%1:").arg(index)},
            {QStringLiteral("driveName"), QStringLiteral("\\\\fs\\s%1").arg(index)}});
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
        ScreenCapture::capture({QStringLiteral("-id"), QString::number(window->winId())}), name);
}

}

TEST_F(Pane, DetailsStartHiddenAndComeAndGoAtTheWindowsBottomEdge)
{
    writeSettings(
        QJsonDocument(QJsonObject {{QStringLiteral("driveMapping"), mappings(3)}}).toJson());
    openWindow();
    const KTPrefsOutlets& o = m_pane->outlets();
    EXPECT_FALSE(o.createAliasButton->isChecked() || o.dfsInstalledButton->isChecked());
    EXPECT_EQ(o.mountMethodPopUp->currentText(), QStringLiteral("smb"));
    EXPECT_EQ(o.mappingTable->model()->rowCount(), 3);
    EXPECT_FALSE(o.expertSettingsBox->isVisible());
    QTest::qWait(300);
    const QRect hidden = m_window->geometry();
    keepScreenshot(m_window.get(), QStringLiteral("settings-window-details-hidden.png"));

    QTest::mouseClick(o.showDetailButton, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->height() > hidden.height(); }));
    EXPECT_EQ(m_window->geometry().top(), hidden.top());
    EXPECT_LT(o.expertSettingsBox->geometry().bottom(), o.showDetailButton->geometry().top());
    EXPECT_EQ(title(o.showDetailButton), QStringLiteral("Hide Details"));
    EXPECT_LE(m_window->frameGeometry().height(), 700) << "taller than a 1366x768 screen allows";
    keepScreenshot(m_window.get(), QStringLiteral("settings-window-details-shown.png"));

    QTest::mouseClick(o.showDetailButton, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->height() == hidden.height(); }));
    EXPECT_EQ(m_window->geometry().top(), hidden.top());
    EXPECT_EQ(title(o.showDetailButton), QStringLiteral("Show Details"));

    // Help opens the help page with the desktop's browser.
    const QString readMe = QStringLiteral(KESTROVA_SOURCE_DIR "/data/ReadMe.html");
    m_pane->setHelpDocumentPath(readMe);
    QTest::mouseClick(o.helpButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return !paneDesktop().records().isEmpty(); }, 10000));
    const QJsonObject record = paneDesktop().records().constLast();
    EXPECT_TRUE(record.value(QStringLiteral("arguments")).toArray().contains(readMe));
    ::kill(pid_t(record.value(QStringLiteral("pid")).toInteger()), SIGTERM);
}

TEST_F(Pane, ChangesReachTheRunningInstanceAndTheSettingsCommandOnlyOnceTheWindowIsClosed)
{
    writeSettings(R"({"driveMapping": [{"driveLetter": "Q:", "driveName": "\\\\old\\q"},
        {"driveLetter": "R:", "driveName": "\\\\old\\r"}]})");
    QProcess instance;
    instance.setProcessEnvironment(programEnvironment());
    instance.start(QStringLiteral(KESTROVA_BINARY), {QStringLiteral("service")});
    QDBusConnection bus = m_bus.connect();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return bus.interface()
                ->isServiceRegistered(QStringLiteral("com.dovrane.Kestrova"))
                .value();
        },
        20000));
    const auto copiedPath = [&] {
        runProgram(QStringLiteral(KESTROVA_BINARY),
            {QStringLiteral("copy-path"), QStringLiteral("/srv/a.doc")}, programEnvironment());
        return runProgram(QStringLiteral("xclip"),
            {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")})
            .output;
    };
    PreferencesNotifier listener(bus, QStringLiteral("com.dovrane.Kestrova"));
    QSignalSpy notified(&listener, &PreferencesNotifier::changed);

    openWindow();
    const KTPrefsOutlets& o = m_pane->outlets();
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
    EXPECT_EQ(m_pane->driveMapArray().at(1).mapFrom(), QStringLiteral("Map From"));
    EXPECT_EQ(m_pane->driveMapArray().at(1).mapTo(), QStringLiteral("Map To"));
    typeIntoCell(o.mappingTable, 1, 0, QStringLiteral("X:"));
    typeIntoCell(o.mappingTable, 1, 1, QStringLiteral("\\\\fs1\\data"));
    o.mappingTable->selectRow(0);
    QTest::mouseClick(o.browseMapToButton, Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_pane->openPanel() && m_pane->openPanel()->isVisible(); }));
    KTShortcutOpenPanel* panel = m_pane->openPanel();
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Select Directory"));
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), QStringLiteral("Choose"));
    panel->setDirectory(QFileInfo(m_folder.path()).path());
    panel->selectFile(m_folder.path());
    panel->accept();
    EXPECT_EQ(copiedPath(), QStringLiteral("/srv/a.doc"));
    EXPECT_TRUE(notified.isEmpty());

    m_window->close();
    EXPECT_TRUE(notified.wait(5000) || !notified.isEmpty());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return copiedPath() == QStringLiteral("\"\\srv\\a.doc\""); }, 10000));
    instance.terminate();
    instance.waitForFinished();
    const QString listing = runProgram(
        QStringLiteral(KESTROVA_BINARY), {QStringLiteral("settings")}, programEnvironment())
                                .output;
    for (const QString& line : {QStringLiteral("createAlias        true"),
             QStringLiteral("dfsInstalled       true"), QStringLiteral("mountMethod        afp"),
             QStringLiteral("driveMapping       R: -> ") + m_folder.path(),
             QString(19, QLatin1Char(' ')) + QStringLiteral("X: -> \\\\fs1\\data")})
        EXPECT_TRUE(listing.contains(line + QLatin1Char('\n'))) << listing.toStdString();
}

TEST_F(Pane, OddSettingsAreShownAsWellAsTheyCanBeAndKeptWhereNotChanged)
{
    QJsonArray list = mappings(3000);
    list.insert(1, QStringLiteral("no mapping"));
    list.insert(2,
        QJsonObject {{QStringLiteral("driveLetter"), 5},
            {QStringLiteral("driveName"), QStringLiteral("\u0001line\nbreak")}});
    list.insert(3,
        QJsonObject {{QStringLiteral("driveLetter"), QStringLiteral("Y:")},
            {QStringLiteral("driveName"), QString(5000, QLatin1Char('s'))},
            {QStringLiteral("note"), QJsonArray {1, 2}}});
    const QJsonObject odd {{QStringLiteral("driveMapping"), list},
        {QStringLiteral("mountMethod"), QStringLiteral("webdav")},
        {QStringLiteral("createAlias"), QStringLiteral("true")},
        {QStringLiteral("useBackslash"), 1}};
    writeSettings(QJsonDocument(odd).toJson());
    const QByteArray before = storedBytes();
    openWindow();
    const KTPrefsOutlets& o = m_pane->outlets();
    EXPECT_EQ(o.mappingTable->model()->rowCount(), 3002);
    EXPECT_EQ(o.mountMethodPopUp->currentIndex(), -1);
    EXPECT_EQ(o.mountMethodPopUp->placeholderText(), QStringLiteral("webdav"));
    EXPECT_FALSE(o.createAliasButton->isChecked() || o.useBackslashButton->isChecked());
    m_window->close();
    EXPECT_EQ(storedBytes(), before);

    openWindow();
    typeIntoCell(m_pane->outlets().mappingTable, 2, 0, QStringLiteral("Z:"));
    m_window->close();
    QJsonObject edited = list.at(3).toObject();
    edited.insert(QStringLiteral("driveLetter"), QStringLiteral("Z:"));
    list.replace(3, edited);
    EXPECT_TRUE(storedSettings().value(QStringLiteral("driveMapping")) == list);
    EXPECT_EQ(storedSettings().value(QStringLiteral("mountMethod")), QStringLiteral("webdav"));
}

TEST_F(Pane, ClosingWhenTheSettingsCannotBeSavedSaysWhyAndMayKeepTheWindow)
{
    // A file where the settings folder should be: nothing can be written.
    writeFile(m_folder.filePath(QStringLiteral("config")), "not a folder");
    openWindow();
    QTest::mouseClick(m_pane->outlets().addMappingButton, Qt::LeftButton);
    DialogAnswer keep(QStringLiteral("Keep Window Open"));
    m_window->close();
    EXPECT_EQ(keep.title, QStringLiteral("Settings Not Saved"));
    EXPECT_TRUE(m_window->isVisible());

    DialogAnswer discard(QStringLiteral("Close Without Saving"));
    m_window->close();
    EXPECT_TRUE(discard.answered);
    EXPECT_FALSE(m_window->isVisible());
}
