#include "alerts/ProgramTargetQuestion.h"

#include "support/QtPrinters.h"
#include "workspace/ProgramTarget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const ProgramTargetVerdict program {QStringLiteral("application/x-ms-dos-executable"),
    {QStringLiteral("its name ends in .exe (a Windows program)")}};
const QString path = QStringLiteral("/run/user/1000/gvfs/smb-share:server=fs1,share=s/setup.exe");

// Answers the question, once it is on the screen, with what act does to the box.
bool askAndAnswer(const std::function<void(QMessageBox&)>& act, QString* title = nullptr)
{
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (title)
            *title = box->windowTitle();
        act(*box);
    });
    answer.start(200);
    return ProgramTargetQuestion::ask(path, program);
}

}

TEST(ProgramTargetQuestion, ReturnKeepsTheDefaultCancel)
{
    QString title;
    EXPECT_FALSE(
        askAndAnswer([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }, &title));
    EXPECT_EQ(title, QStringLiteral("Open program?"));
    EXPECT_FALSE(askAndAnswer([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }));
}

TEST(ProgramTargetQuestion, OpensOnlyWhenTheUserChoosesTo)
{
    EXPECT_TRUE(askAndAnswer([](QMessageBox& box) {
        for (QAbstractButton* button : box.buttons()) {
            if (box.buttonRole(button) == QMessageBox::AcceptRole)
                button->click();
        }
    }));
}

TEST(ProgramTargetQuestion, NamesTheProgramAndWhy)
{
    const QString text = ProgramTargetQuestion::message(path, program);
    EXPECT_TRUE(text.startsWith(QStringLiteral("\u201csetup.exe\u201d is a program")));
    EXPECT_TRUE(text.contains(program.reasons.first()));
    EXPECT_TRUE(text.endsWith(path));
}
