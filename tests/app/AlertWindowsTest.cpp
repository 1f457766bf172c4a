#include "alerts/MessageBoxAlertPresenter.h"
#include "alerts/ProgramTargetQuestion.h"
#include "support/QtPrinters.h"
#include "support/ScreenCapture.h"
#include "workspace/ProgramTarget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

// The alerts and the program question as message boxes on a real X server under a
// window manager that draws titles: what they show, which answer Return and Escape
// give, and how they look (kept as screenshots, window frame included).
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

// The box with the frame the window manager drew around it. Qt learns the frame's size
// from the window manager, and not always before the capture: the crop leaves room for
// a title bar either way.
void keepScreenshot(const QMessageBox& box, const QString& name)
{
    (void)QTest::qWaitFor([&] { return box.frameGeometry() != box.geometry(); }, 2000);
    QTest::qWait(200);
    const QRect frame = box.frameGeometry().united(box.geometry().adjusted(-8, -32, 8, 8));
    ScreenCapture::keepAsArtefact(ScreenCapture::capture({u"-root"_s}).copy(frame), name);
}

}

TEST(AlertWindow, ShowsEachAlertVerbatimWithOneOkButton)
{
    const QString gone =
        u"Windows path: \\\\127.0.0.1\\share\\gone\\a.txt\n"
        "Local path: /run/user/0/gvfs/smb-share:server=127.0.0.1,share=share/gone/a.txt\n"
        "The folder “/run/user/0/gvfs/smb-share:server=127.0.0.1,share=share” "
        "holds no folder “gone”: it was moved, renamed or deleted"_s;
    const AppAlert alerts[] = {
        {u"Convert Shortcut Failed"_s, u"Invalid Shortcut File. Failed to create alias."_s, {}},
        {u"Could not follow shortcut"_s, u"Target file does not exist"_s, gone},
        {u"Could not follow shortcut"_s, u"Share <b>%1</b> & \"x\" is gone"_s,
            u"Windows path: \\\\srv\\<i>s</i>\nLocal path: none"_s}};
    int shown = 0;
    for (const AppAlert& alert : alerts) {
        SCOPED_TRACE(alert.title.toStdString());
        answerBox([&] { MessageBoxAlertPresenter().runModal(alert); },
            [&](QMessageBox& box) {
                EXPECT_EQ(box.windowTitle(), alert.title);
                EXPECT_EQ(box.text(), alert.message);
                EXPECT_EQ(box.informativeText(), alert.informativeText);
                if (auto* label = box.findChild<QLabel*>(u"qt_msgbox_informativelabel"_s)) {
                    EXPECT_EQ(label->textFormat(), Qt::PlainText);
                }
                EXPECT_EQ(box.buttons().size(), 1);
                EXPECT_EQ(box.buttons().first()->text().remove(QLatin1Char('&')), u"OK"_s);
                keepScreenshot(box, u"alert-%1.png"_s.arg(++shown));
                box.buttons().first()->click();
            });
    }
}

TEST(ProgramQuestion, OpensOnlyWhenTheUserChoosesTo)
{
    EXPECT_FALSE(askAndAnswer([](QMessageBox& box) {
        EXPECT_TRUE(box.text().startsWith(u"\u201c<b>setup<i>.exe\u201d is a program"_s));
        EXPECT_TRUE(box.text().contains(program.reasons.first()));
        EXPECT_TRUE(box.text().endsWith(path));
        keepScreenshot(box, u"alert-program-question.png"_s);
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
