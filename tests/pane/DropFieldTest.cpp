#include "KTDragTextField.h"
#include "KTPasswordSheet.h"
#include "PaneTest.h"
#include "support/ShellLinkWriter.h"

#include <QDir>
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
};

// Names a file manager can hand over: a line break, quotes, and a path of 4,000
// characters.
const QStringList oddNames {QStringLiteral("/srv/a\nb.doc"),
    QStringLiteral("/srv/\"quoted\" 'name' $(x).doc"), QLatin1Char('/') + QString(3999, u'd')};

}

TEST_F(DropField, FieldNotBeingEditedTakesTheLastPathAsItStands)
{
    m_pane->passwordWindow()->usernameField()->setFocus();
    serverField()->setText(QStringLiteral("before"));
    ASSERT_TRUE(dropFiles(serverField(), oddNames));
    EXPECT_EQ(serverField()->text(), oddNames.last());
}

TEST_F(DropField, FieldBeingEditedInsertsEveryFileAtTheCursor)
{
    serverField()->setFocus();
    serverField()->setText(QStringLiteral("[]"));
    serverField()->setCursorPosition(1);
    ASSERT_TRUE(dropFiles(serverField(), oddNames));
    const QString expected = QLatin1Char('[') + oddNames.join(QString()) + QLatin1Char(']');
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

TEST_F(DropField, UnreadableShortcutAsksThenSaysSoAndInsertsNothing)
{
    // A shortcut by its name; inside, the start of one cut short.
    ShellLinkContents link;
    link.netName = "\\\\fs1\\p";
    link.commonPathSuffix = "a.doc";
    const QString file = writeFile(QDir(m_folder.path()).filePath(QStringLiteral("broken.lnk")),
        ShellLinkWriter::write(link).left(90));
    serverField()->setFocus();
    serverField()->setText(QStringLiteral("kept"));
    DialogAnswer question(QStringLiteral("Insert Shortcut Destination"));
    DialogAnswer failure(QStringLiteral("OK"));
    ASSERT_TRUE(dropFiles(serverField(), {file}));
    ASSERT_TRUE(failure.wait());
    EXPECT_EQ(question.title, QStringLiteral("Dragged Windows Shortcut"));
    EXPECT_EQ(question.text,
        QStringLiteral("You have dragged a Windows Shortcut into the field. Do you want to insert "
                       "the file location itself or the Destination of the Shortcut?"));
    EXPECT_EQ(failure.text,
        QStringLiteral("\u201cbroken.lnk\u201d is not a Windows shortcut that can be read."));
    QTest::qWait(100);
    EXPECT_EQ(serverField()->text(), QStringLiteral("kept"));
}
