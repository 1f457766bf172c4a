#include "alerts/MessageBoxAlertPresenter.h"
#include "support/QtPrinters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

TEST(MessageBoxAlert, ShowsTitleAndMessageVerbatimWithOneOkButtonInFront)
{
    const AppAlert alert {QStringLiteral("Could not follow shortcut"),
        QStringLiteral("Share <b>%1</b> & \"x\" is gone")};
    QString title;
    QString text;
    QStringList buttons;
    bool onTop = false;
    bool visible = false;
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text().remove(QLatin1Char('&'));
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        visible = box->isVisible() && box->textFormat() == Qt::PlainText;
        box->buttons().first()->click();
    });
    answer.start(200);
    MessageBoxAlertPresenter().runModal(alert);
    EXPECT_EQ(title, alert.title);
    EXPECT_EQ(text, alert.message);
    EXPECT_EQ(buttons, QStringList(QStringLiteral("OK")));
    EXPECT_TRUE(onTop);
    EXPECT_TRUE(visible);
}
