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

QList<QCheckBox*> checkBoxes(const KTPrefsOutlets& o)
{
    return {o.createAliasButton, o.useBackslashButton, o.enableMappingButton,
        o.enableUseQuotationMarkButton, o.dfsInstalledButton};
}

QJsonArray mappings(int count)
{
    QJsonArray list;
    for (int index = 0; index < count; ++index) {
        list.append(QJsonObject {{QStringLiteral("driveLetter"), QStringLiteral("X%1:").arg(index)},
            {QStringLiteral("driveName"), QStringLiteral("\\\\fs\\s%1").arg(index)}});
    }
    return list;
}

QStringList texts(const DriveMappingChanges& rows)
{
    QStringList texts;
    for (const KTDriveMapping& mapping : rows.list())
        texts << mapping.mapFrom().value_or(QString()) + QLatin1Char('>')
                + mapping.mapTo().value_or(QString());
    return texts;
}

// Types the text into the cell as a person does: starts editing, types, presses Enter.
void typeIntoCell(QTableView* table, int row, int column, const QString& text)
{
    const QModelIndex cell = table->model()->index(row, column);
    table->setCurrentIndex(cell);
    table->edit(cell);
    QWidget* editor = table->viewport()->focusWidget();
    ASSERT_TRUE(editor);
    static_cast<QLineEdit*>(editor)->selectAll();
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
    for (QCheckBox* box : checkBoxes(o))
        EXPECT_FALSE(box->isChecked()) << title(box).toStdString();
    EXPECT_EQ(o.mountMethodPopUp->currentText(), QStringLiteral("smb"));
    EXPECT_EQ(o.mappingTable->model()->rowCount(), 3);
    EXPECT_FALSE(o.expertSettingsBox->isVisible());
    EXPECT_EQ(title(o.showDetailButton), QStringLiteral("Show Details"));
    QTest::qWait(300);
    const QRect hidden = m_window->geometry();
    keepScreenshot(m_window.get(), QStringLiteral("settings-window-details-hidden.png"));

    QTest::mouseClick(o.showDetailButton, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->height() > hidden.height(); }));
    EXPECT_EQ(m_window->geometry().top(), hidden.top());
    EXPECT_TRUE(o.expertSettingsBox->isVisible());
    EXPECT_LT(o.expertSettingsBox->geometry().bottom(), o.showDetailButton->geometry().top());
    EXPECT_EQ(title(o.showDetailButton), QStringLiteral("Hide Details"));
    EXPECT_TRUE(m_preferences->showDetails());
    EXPECT_LE(m_window->frameGeometry().height(), 700) << "taller than a 1366x768 screen allows";
    keepScreenshot(m_window.get(), QStringLiteral("settings-window-details-shown.png"));

    QTest::mouseClick(o.showDetailButton, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->height() == hidden.height(); }));
    EXPECT_EQ(m_window->geometry().top(), hidden.top());
    EXPECT_FALSE(m_preferences->showDetails());
}

TEST_F(Pane, ChangesReachTheRunningInstanceOnlyOnceTheWindowIsClosed)
{
    writeSettings("{}");
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
    for (QCheckBox* box : checkBoxes(o)) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    }
    o.mountMethodPopUp->setFocus();
    QTest::keyClick(o.mountMethodPopUp, Qt::Key_Down);
    EXPECT_TRUE(m_preferences->useQuotationMarks() && m_preferences->dfsInstalled());
    EXPECT_EQ(m_preferences->mountMethod(), QStringLiteral("afp"));
    EXPECT_EQ(copiedPath(), QStringLiteral("/srv/a.doc"));
    EXPECT_TRUE(notified.isEmpty());

    m_window->close();
    EXPECT_TRUE(notified.wait(5000) || !notified.isEmpty());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return copiedPath() == QStringLiteral("\"\\srv\\a.doc\""); }, 10000));
    const QJsonObject stored = storedSettings();
    for (const char* key :
        {"createAlias", "useBackslash", "mappingEnabled", "useQuotationMarks", "dfsInstalled"})
        EXPECT_EQ(stored.value(QLatin1String(key)), QJsonValue(true)) << key;
    EXPECT_EQ(stored.value(QStringLiteral("mountMethod")), QJsonValue(QStringLiteral("afp")));
    EXPECT_EQ(stored.value(QStringLiteral("driveMapping")), QJsonValue(QJsonArray()));
    instance.terminate();
    instance.waitForFinished();
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
    EXPECT_FALSE(o.createAliasButton->isChecked());
    EXPECT_FALSE(o.useBackslashButton->isChecked());
    m_window->close();
    EXPECT_EQ(storedBytes(), before);

    openWindow();
    typeIntoCell(m_pane->outlets().mappingTable, 2, 0, QStringLiteral("Z:"));
    m_window->close();
    QJsonArray expected = list;
    QJsonObject edited = list.at(3).toObject();
    edited.insert(QStringLiteral("driveLetter"), QStringLiteral("Z:"));
    expected.replace(3, edited);
    EXPECT_TRUE(storedSettings().value(QStringLiteral("driveMapping")) == expected);
    EXPECT_EQ(storedSettings().value(QStringLiteral("mountMethod")),
        odd.value(QStringLiteral("mountMethod")));
}

TEST_F(Pane, EditedTableIsWhatTheSettingsCommandLists)
{
    writeSettings(R"({"driveMapping": [{"driveLetter": "Q:", "driveName": "\\\\old\\q"}]})");
    openWindow();
    const KTPrefsOutlets& o = m_pane->outlets();
    o.mappingTable->selectRow(0);
    QTest::mouseClick(o.removeMappingButton, Qt::LeftButton);
    QTest::mouseClick(o.addMappingButton, Qt::LeftButton);
    QTest::keyClick(o.mappingTable->viewport()->focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(m_pane->driveMapArray().at(0).mapFrom(), QStringLiteral("Map From"));
    EXPECT_EQ(m_pane->driveMapArray().at(0).mapTo(), QStringLiteral("Map To"));
    typeIntoCell(o.mappingTable, 0, 0, QStringLiteral("X:"));
    typeIntoCell(o.mappingTable, 0, 1, QStringLiteral("\\\\fs1\\data"));
    m_window->close();

    const ProgramRun listing = runProgram(
        QStringLiteral(KESTROVA_BINARY), {QStringLiteral("settings")}, programEnvironment());
    EXPECT_TRUE(listing.output.contains(QStringLiteral("driveMapping       X: -> \\\\fs1\\data\n")))
        << listing.output.toStdString() << listing.errors.toStdString();
}

TEST_F(Pane, BrowseButtonOfTheShareChangesOnlyTheSelectedRowsShare)
{
    writeSettings(
        QJsonDocument(QJsonObject {{QStringLiteral("driveMapping"), mappings(3)}}).toJson());
    openWindow();
    const KTPrefsOutlets& o = m_pane->outlets();
    o.mappingTable->selectRow(1);
    QTest::mouseClick(o.browseMapToButton, Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_pane->openPanel() && m_pane->openPanel()->isVisible(); }));
    KTShortcutOpenPanel* panel = m_pane->openPanel();
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Select Directory"));
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), QStringLiteral("Choose"));
    panel->setDirectory(QFileInfo(m_folder.path()).path());
    panel->selectFile(m_folder.path());
    panel->accept();

    EXPECT_EQ(texts(m_pane->driveMapArray()),
        QStringList({QStringLiteral("X0:>\\\\fs\\s0"), QStringLiteral("X1:>") + m_folder.path(),
            QStringLiteral("X2:>\\\\fs\\s2")}));
}

TEST_F(Pane, HelpOpensTheReadMeWithTheDesktopsBrowser)
{
    openWindow();
    const QString readMe = QStringLiteral(KESTROVA_SOURCE_DIR "/data/ReadMe.html");
    m_pane->setHelpDocumentPath(readMe);
    QTest::mouseClick(m_pane->outlets().helpButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return !paneDesktop().records().isEmpty(); }, 10000));
    const QJsonObject record = paneDesktop().records().constLast();
    EXPECT_TRUE(record.value(QStringLiteral("arguments")).toArray().contains(readMe));
    ::kill(pid_t(record.value(QStringLiteral("pid")).toInteger()), SIGTERM);
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
