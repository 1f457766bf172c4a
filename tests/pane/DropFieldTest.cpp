#include "KTCustomDropFieldEditor.h"
#include "KTDragTextField.h"
#include "KTPasswordSheet.h"
#include "PaneTest.h"
#include "support/ShellLinkWriter.h"

#include <QDir>
#include <QTableView>
#include <QTest>

namespace {

class DropField : public PaneTest {
protected:
    void SetUp() override
    {
        PaneTest::SetUp();
        openWindow();
        m_pane->openPasswordSheet();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pane->passwordWindow()));
    }

    KTDragTextField* serverField() { return m_pane->passwordWindow()->domainServerField(); }

    // The mapping table's cell in editing, as a person opens it.
    KTDragTextField* editedCell()
    {
        QTableView* table = m_pane->outlets().mappingTable;
        m_pane->passwordWindow()->done(0);
        m_pane->insertObject(KTDriveMapping(QStringLiteral("X:"), QStringLiteral("")), 0);
        const QModelIndex cell = table->model()->index(0, 1);
        table->setCurrentIndex(cell);
        table->edit(cell);
        return qobject_cast<KTDragTextField*>(table->viewport()->focusWidget());
    }

    QString shortcut(const QString& name, const QByteArray& bytes)
    {
        return writeFile(QDir(folder()).filePath(name), bytes);
    }
};

// Names a file manager can hand over: a line break, quotes, and a path of 4,000
// characters.
QStringList oddNames()
{
    return {QStringLiteral("/srv/a\nb.doc"), QStringLiteral("/srv/\"quoted\" 'name' $(x).doc"),
        QLatin1Char('/') + QString(3999, QLatin1Char('d'))};
}

QByteArray shortcutTo(const QString& unc, const QString& suffix)
{
    ShellLinkContents contents;
    contents.netName = unc.toLatin1();
    contents.commonPathSuffix = suffix.toLatin1();
    return ShellLinkWriter::write(contents);
}

}

TEST_F(DropField, FieldNotBeingEditedTakesTheLastPathAsItStands)
{
    m_pane->passwordWindow()->usernameField()->setFocus();
    serverField()->setText(QStringLiteral("before"));
    ASSERT_TRUE(dropUrls(serverField(), fileUrls(oddNames())));
    EXPECT_EQ(serverField()->text(), oddNames().last());
}

TEST_F(DropField, FieldBeingEditedInsertsEveryFileAtTheCursor)
{
    serverField()->setFocus();
    serverField()->setText(QStringLiteral("[]"));
    serverField()->setCursorPosition(1);
    ASSERT_TRUE(dropUrls(serverField(), fileUrls(oddNames())));
    const QString expected = QLatin1Char('[') + oddNames().join(QString()) + QLatin1Char(']');
    EXPECT_TRUE(QTest::qWaitFor([&] { return serverField()->text() == expected; }))
        << serverField()->text().toStdString();
}

TEST_F(DropField, DraggedTextIsRefusedWhetherEditedOrNot)
{
    serverField()->setText(QStringLiteral("kept"));
    EXPECT_FALSE(dropText(serverField(), QStringLiteral("dragged")));
    serverField()->setFocus();
    EXPECT_FALSE(dropText(serverField(), QStringLiteral("dragged")));
    EXPECT_EQ(serverField()->text(), QStringLiteral("kept"));
    EXPECT_FALSE(m_pane->passwordWindow()->oldPasswordField()->acceptDrops());
}

TEST_F(DropField, EditorOfPlainTextFieldsIsTheSharedDropEditor)
{
    KTCustomDropFieldEditor* shared = &KTCustomDropFieldEditor::defaultKTCustomDropFieldEditor();
    EXPECT_EQ(m_pane->windowWillReturnFieldEditor(serverField()), shared);
    EXPECT_EQ(
        m_pane->windowWillReturnFieldEditor(m_pane->passwordWindow()->usernameField()), shared);
    EXPECT_EQ(
        m_pane->windowWillReturnFieldEditor(m_pane->passwordWindow()->passwordField()), nullptr);
    EXPECT_EQ(m_pane->windowWillReturnFieldEditor(m_pane->outlets().mappingTable), nullptr);
}

struct ShortcutDrop {
    const char* name;
    const char* answer;
    const char* expected; // FILE: the shortcut file's own path
};

// Names the case in test listings.
void PrintTo(const ShortcutDrop& row, std::ostream* out)
{
    *out << row.name;
}

class DroppedShortcut : public DropField, public testing::WithParamInterface<ShortcutDrop> { };

TEST_P(DroppedShortcut, AsksWhetherToInsertItsDestination)
{
    const QString file = shortcut(QStringLiteral("plan.lnk"),
        shortcutTo(QStringLiteral("\\\\fs1\\Projects"), QStringLiteral("plans\\a.doc")));
    KTDragTextField* cell = editedCell();
    ASSERT_TRUE(cell);
    DialogAnswer answer(QString::fromUtf8(GetParam().answer));
    ASSERT_TRUE(dropUrls(cell, fileUrls({file})));
    ASSERT_TRUE(answer.wait());
    EXPECT_EQ(answer.title, QStringLiteral("Dragged Windows Shortcut"));
    EXPECT_EQ(answer.text,
        QStringLiteral("You have dragged a Windows Shortcut into the field. Do you want to insert "
                       "the file location itself or the Destination of the Shortcut?"));
    const QString expected = QString::fromUtf8(GetParam().expected);
    (void)QTest::qWaitFor([&] { return !cell->text().isEmpty(); });
    EXPECT_EQ(cell->text(), expected == QLatin1String("FILE") ? file : expected);
}

INSTANTIATE_TEST_SUITE_P(DropField, DroppedShortcut,
    testing::Values(
        ShortcutDrop {"Destination", "Insert Shortcut Destination", "//fs1/Projects/plans/a.doc"},
        ShortcutDrop {"FileLocation", "Insert File Location", "FILE"}),
    [](const testing::TestParamInfo<ShortcutDrop>& row) { return std::string(row.param.name); });

TEST_F(DropField, UnreadableShortcutSaysSoAndInsertsNothing)
{
    // A shortcut by its name; inside, the start of one cut short.
    const QString file = shortcut(QStringLiteral("broken.lnk"),
        shortcutTo(QStringLiteral("\\\\fs1\\p"), QStringLiteral("a.doc")).left(90));
    serverField()->setFocus();
    serverField()->setText(QStringLiteral("kept"));
    DialogAnswer question(QStringLiteral("Insert Shortcut Destination"));
    DialogAnswer failure(QStringLiteral("OK"));
    ASSERT_TRUE(dropUrls(serverField(), fileUrls({file})));
    ASSERT_TRUE(failure.wait());
    EXPECT_TRUE(question.answered);
    QTest::qWait(100);
    EXPECT_EQ(failure.text,
        QStringLiteral("\u201cbroken.lnk\u201d is not a Windows shortcut that can be read."));
    EXPECT_EQ(serverField()->text(), QStringLiteral("kept"));
}
