#include "support/QtPrinters.h"
#include "windows/RZStatusController.h"
#include "windows/RZStatusWindow.h"

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
    QStringLiteral("Mounting drive smb://127.0.0.1/a-rather-long-name/and/folders");

class StatusController : public testing::Test {
protected:
    RZStatusWindow& window() { return *controller.statusWindow(); }
    QLabel& field() { return *controller.textField(); }
    QRect screen() { return window().screen()->availableGeometry(); }
    bool indicatorRuns() { return controller.progress()->isVisible(); }
    RZStatusController controller {std::make_unique<RZStatusWindow>()};
};

// Markup in a title is shown as the characters it is; a hidden window stays hidden.
TEST_F(StatusController, WindowFitsItsPlainTextTitleCentredAndLaidOutUnclippedBesideIndicator)
{
    QList<int> widths;
    for (const QString& title :
        {shortTitle, longTitle, QStringLiteral("<b>fs1</b>&amp;<img src=x>"), shortTitle}) {
        controller.setTitle(title);
        EXPECT_EQ(field().text(), title);
        EXPECT_EQ(field().width(), field().sizeHint().width());
        EXPECT_GE(field().width(), field().fontMetrics().horizontalAdvance(title));
        EXPECT_EQ(window().width(), field().width() + controller.sizeOffset());
        EXPECT_LE((window().geometry().center() - screen().center()).manhattanLength(), 1);
        EXPECT_FALSE(window().isVisible());
        widths << window().width();
    }
    EXPECT_LT(widths[0], widths[1]);
    EXPECT_EQ(widths[0], widths[3]);
    const QString wide =
        QStringLiteral("Mounting drive smb://fs1/") + QString(2000, u'x') + QStringLiteral("/end");
    controller.setTitle(wide);
    EXPECT_TRUE(screen().contains(window().geometry()));
    EXPECT_TRUE(field().text().startsWith(QStringLiteral("Mounting drive smb://fs1/")));
    EXPECT_TRUE(field().text().endsWith(QStringLiteral("/end")));
    controller.setTitle(longTitle);
    controller.showWithProgressEnabled(true);
    const QRect text = field().geometry();
    const QRect indicator = controller.progress()->geometry();
    EXPECT_EQ(text.width(), field().sizeHint().width());
    EXPECT_LT(text.right(), indicator.left());
    EXPECT_LE(indicator.right(), window().contentsRect().right());
    EXPECT_TRUE(window().contentsRect().contains(text));
    controller.hideNow();
}

TEST_F(StatusController, IndicatorRunsOnlyWhenAskedAndStopsWithEveryHideDelayedOrNot)
{
    controller.showWithProgressEnabled(true);
    EXPECT_TRUE(window().isVisible() && indicatorRuns());
    controller.hideNow();
    EXPECT_FALSE(window().isVisible() || indicatorRuns());
    controller.show();
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(indicatorRuns());
    controller.showWithProgressEnabled(true);
    controller.hideAfterDelay(0.05);
    EXPECT_TRUE(controller.isShown());
    EXPECT_FALSE(indicatorRuns());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isShown(); }, 5000));
    EXPECT_FALSE(controller.hasPendingHide());
    controller.show();
    controller.hideAfterDelay(0.05);
    controller.showWithProgressEnabled(true);
    EXPECT_FALSE(controller.hasPendingHide()) << "a show cancels the pending hide";
    QTest::qWait(300);
    EXPECT_TRUE(controller.isShown() && indicatorRuns());
    // No length hides at the next turn; a delay beyond the timer's range never comes.
    for (const double seconds : {0.0, -1.0, std::nan("")}) {
        controller.show();
        controller.hideAfterDelay(seconds);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isShown(); }, 5000)) << seconds;
    }
    for (const double seconds : {1e12, std::numeric_limits<double>::infinity()}) {
        controller.show();
        controller.hideAfterDelay(seconds);
        QTest::qWait(50);
        EXPECT_TRUE(controller.isShown() && controller.hasPendingHide()) << seconds;
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
    // A key press the X server delivered, still queued here, waits; the focus stays put.
    QProcess keyboard;
    keyboard.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("a")});
    ASSERT_TRUE(keyboard.waitForFinished(20000));
    ASSERT_EQ(keyboard.exitCode(), 0) << keyboard.readAllStandardError().toStdString();
    controller.setTitle(shortTitle);
    controller.showWithProgressEnabled(true);
    EXPECT_TRUE(window().windowHandle()->isExposed());
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

}
