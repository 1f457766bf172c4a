#include "alerts/MessageBoxAlertPresenter.h"
#include "alerts/ProgramTargetQuestion.h"
#include "support/QtPrinters.h"
#include "workspace/ProgramTarget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

// The alert and the program question as message boxes on a real X server: what they
// show, which answer Return and Escape give.
namespace {

const ProgramTargetVerdict program {
    u"application/x-ms-dos-executable"_s, {u"its name ends in .exe (a Windows program)"_s}};
const QString path = u"/run/user/1000/gvfs/smb-share:server=fs1,share=s/<b>setup<i>.exe"_s;

// Runs show, and acts on the box it puts up once the box is on the screen.
void answerBox(const std::function<void()>& show, const std::function<void(QMessageBox&)>& act)
{
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isVisible());
        EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // Names come from strangers: markup in them is shown, never obeyed.
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        act(*box);
    });
    answer.start(200);
    show();
}

bool askAndAnswer(const std::function<void(QMessageBox&)>& act)
{
    bool answer = false;
    answerBox([&] { answer = ProgramTargetQuestion::ask(path, program); }, act);
    return answer;
}

}

TEST(AlertWindow, ShowsTitleAndMessageVerbatimWithOneOkButton)
{
    const AppAlert alert {u"Could not follow shortcut"_s, u"Share <b>%1</b> & \"x\" is gone"_s};
    answerBox([&] { MessageBoxAlertPresenter().runModal(alert); },
        [&](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), alert.title);
            EXPECT_EQ(box.text(), alert.message);
            EXPECT_EQ(box.buttons().size(), 1);
            EXPECT_EQ(box.buttons().first()->text().remove(QLatin1Char('&')), u"OK"_s);
            box.buttons().first()->click();
        });
}

TEST(ProgramQuestion, OpensOnlyWhenTheUserChoosesTo)
{
    EXPECT_FALSE(askAndAnswer([](QMessageBox& box) {
        EXPECT_TRUE(box.text().startsWith(u"\u201c<b>setup<i>.exe\u201d is a program"_s));
        EXPECT_TRUE(box.text().contains(program.reasons.first()));
        EXPECT_TRUE(box.text().endsWith(path));
        QTest::keyClick(&box, Qt::Key_Return);
    }));
    EXPECT_FALSE(askAndAnswer([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }));
    EXPECT_TRUE(askAndAnswer([](QMessageBox& box) {
        for (QAbstractButton* button : box.buttons()) {
            if (box.buttonRole(button) == QMessageBox::AcceptRole)
                button->click();
        }
    }));
}
