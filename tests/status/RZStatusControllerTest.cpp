#include "status/RZStatusController.h"

#include "PrintQString.h"
#include "status/RZStatusWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QString shortTitle = QStringLiteral("Mounting");
const QString longTitle =
    QStringLiteral("Mounting drive smb://127.0.0.1/a-share-with-a-rather-long-name/and/folders");

class StatusController : public testing::Test {
protected:
    RZStatusWindow& window() { return *controller.statusWindow(); }
    QLabel& field() { return *controller.textField(); }
    QRect screen() { return window().screen()->availableGeometry(); }

    void expectFittedAndCentred(const QString& title)
    {
        EXPECT_EQ(field().text(), title);
        EXPECT_EQ(field().width(), field().sizeHint().width());
        EXPECT_GE(field().width(), field().fontMetrics().horizontalAdvance(title));
        EXPECT_EQ(window().width(), field().width() + controller.sizeOffset());
        EXPECT_LE((window().geometry().center() - screen().center()).manhattanLength(), 1)
            << "window " << window().geometry().center().x() << ","
            << window().geometry().center().y();
    }

    RZStatusController controller {std::make_unique<RZStatusWindow>()};
};

}

TEST_F(StatusController, TitleSetsFittedWidthAndCentresWindow)
{
    controller.setTitle(shortTitle);
    expectFittedAndCentred(shortTitle);
    const int shortWidth = window().width();

    controller.setTitle(longTitle);
    expectFittedAndCentred(longTitle);
    EXPECT_GT(window().width(), shortWidth);

    controller.setTitle(shortTitle);
    expectFittedAndCentred(shortTitle);
    EXPECT_EQ(window().width(), shortWidth);
}

TEST_F(StatusController, ShownWindowLaysTextOutUnclippedBesideIndicator)
{
    controller.setTitle(longTitle);
    controller.showWithProgressEnabled(true);
    const QRect text = field().geometry();
    const QRect indicator = controller.progress()->geometry();
    EXPECT_EQ(text.width(), field().sizeHint().width());
    EXPECT_LT(text.right(), indicator.left());
    EXPECT_LE(indicator.right(), window().contentsRect().right());
    EXPECT_GE(text.top(), window().contentsRect().top());
    EXPECT_LE(text.bottom(), window().contentsRect().bottom());
    controller.hideNow();
}

TEST_F(StatusController, TitleIsShownAsPlainText)
{
    const QString markup = QStringLiteral("<b>fs1</b>&amp;<img src=x>");
    controller.setTitle(markup);
    EXPECT_GE(field().width(), field().fontMetrics().horizontalAdvance(markup));
}

TEST_F(StatusController, TitleWiderThanScreenIsElidedInTheMiddle)
{
    const QString title = QStringLiteral("Mounting drive smb://fs1/")
        + QString(2000, QLatin1Char('x')) + QStringLiteral("/end");
    controller.setTitle(title);
    EXPECT_LE(window().width(), screen().width());
    EXPECT_TRUE(screen().contains(window().geometry()));
    EXPECT_TRUE(field().text().startsWith(QStringLiteral("Mounting drive smb://fs1/")));
    EXPECT_TRUE(field().text().endsWith(QStringLiteral("/end")));
}

TEST_F(StatusController, TitleSetWhileHiddenMovesFrameWithoutShowing)
{
    controller.setTitle(longTitle);
    const QRect before = window().geometry();
    controller.setTitle(shortTitle);
    EXPECT_NE(window().geometry(), before);
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(controller.isShown());
}

TEST_F(StatusController, HideNowStopsIndicatorWhichStaysHiddenOnPlainShow)
{
    controller.setTitle(shortTitle);
    controller.showWithProgressEnabled(true);
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(controller.progress()->isVisible());

    controller.hideNow();
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(controller.progress()->isHidden());

    controller.show();
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(controller.progress()->isHidden());
    controller.hideNow();
}

TEST_F(StatusController, HideAfterDelayStopsIndicatorAtOnceAndHidesLater)
{
    controller.showWithProgressEnabled(true);
    controller.hideAfterDelay(0.05);
    EXPECT_TRUE(controller.isShown());
    EXPECT_TRUE(controller.progress()->isHidden());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isShown(); }, 5000));
    EXPECT_FALSE(controller.hasPendingHide());
}

TEST_F(StatusController, ShowCancelsPendingHide)
{
    controller.show();
    controller.hideAfterDelay(0.05);
    controller.showWithProgressEnabled(true);
    EXPECT_FALSE(controller.hasPendingHide());
    QTest::qWait(300);
    EXPECT_TRUE(controller.isShown());
    EXPECT_TRUE(controller.progress()->isVisible());
    controller.hideNow();
}

TEST_F(StatusController, DelayWithoutLengthHidesAtNextTurn)
{
    for (const double seconds : {0.0, -1.0, std::nan("")}) {
        controller.show();
        controller.hideAfterDelay(seconds);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isShown(); }, 5000)) << seconds;
    }
}

TEST_F(StatusController, DelayBeyondTimerRangeKeepsWindowShown)
{
    for (const double seconds : {1e12, std::numeric_limits<double>::infinity()}) {
        controller.show();
        controller.hideAfterDelay(seconds);
        QTest::qWait(50);
        EXPECT_TRUE(controller.isShown()) << seconds;
        EXPECT_TRUE(controller.hasPendingHide()) << seconds;
    }
    controller.hideNow();
    EXPECT_FALSE(controller.hasPendingHide());
}

TEST_F(StatusController, ShowingLeavesUserInputWaitingAndFocusWhereItWas)
{
    QLineEdit editor;
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));

    // A key press the X server has already delivered, still queued in this process: the
    // window comes up without handling it, and without taking the focus from the editor.
    QProcess keyboard;
    keyboard.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("a")});
    ASSERT_TRUE(keyboard.waitForFinished(20000));
    ASSERT_EQ(keyboard.exitCode(), 0) << keyboard.readAllStandardError().toStdString();

    controller.setTitle(shortTitle);
    controller.showWithProgressEnabled(true);
    EXPECT_TRUE(controller.statusWindow()->windowHandle()->isExposed());
    EXPECT_EQ(editor.text(), QString());

    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.text() == QStringLiteral("a"); }, 5000));
    EXPECT_TRUE(editor.isActiveWindow());
    controller.hideNow();
}

TEST(SharedStatusController, IsAWindowOnceTheApplicationHasMadeIt)
{
    ASSERT_TRUE(RZStatusController::displayAvailable());
    EXPECT_EQ(RZStatusController::sharedStatusController(), nullptr);

    RZStatusController* controller = RZStatusController::createShared();
    ASSERT_NE(controller, nullptr);
    EXPECT_NE(controller->statusWindow(), nullptr);
    EXPECT_EQ(RZStatusController::sharedStatusController(), controller);
    EXPECT_EQ(RZStatusController::createShared(), controller);
}
