#include "support/ProgramRun.h"
#include "support/QtPrinters.h"
#include "support/ScreenCapture.h"
#include "windows/RZStatusController.h"
#include "windows/RZStatusWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString shortTitle = u"Mounting"_s;
const QString longTitle = u"Mounting drive smb://127.0.0.1/a-rather-long-name/and/folders"_s;

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
        {shortTitle, longTitle, u"<b>fs1</b>&amp;<img src=x>"_s, shortTitle}) {
        controller.setTitle(title);
        EXPECT_EQ(field().text(), title);
        EXPECT_GE(field().width(), field().fontMetrics().horizontalAdvance(title));
        EXPECT_LE((window().geometry().center() - screen().center()).manhattanLength(), 1);
        EXPECT_FALSE(window().isVisible());
        widths << window().width();
    }
    EXPECT_LT(widths[0], widths[1]);
    EXPECT_EQ(widths[0], widths[3]);
    const QString wide = u"Mounting drive smb://fs1/"_s + QString(2000, u'x') + u"/end"_s;
    controller.setTitle(wide);
    EXPECT_TRUE(screen().contains(window().geometry()));
    EXPECT_TRUE(field().text().startsWith(u"Mounting drive smb://fs1/"_s));
    EXPECT_TRUE(field().text().endsWith(u"/end"_s));
    controller.setTitle(longTitle);
    controller.showWithProgressEnabled(true);
    const QRect text = field().geometry();
    const QRect indicator = controller.progress()->geometry();
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
    for (const double seconds :
        {0.0, -1.0, std::nan(""), 1e12, std::numeric_limits<double>::infinity()}) {
        const bool hides = !(seconds > 1e9);
        controller.show();
        controller.hideAfterDelay(seconds);
        EXPECT_EQ(QTest::qWaitFor([&] { return !controller.isShown(); }, hides ? 5000 : 50), hides)
            << seconds;
        EXPECT_EQ(controller.hasPendingHide(), !hides) << seconds;
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
    const ProgramRun keyboard = runProgram(u"xdotool"_s, {u"key"_s, u"a"_s});
    ASSERT_EQ(keyboard.exitCode, 0) << keyboard.errors.toStdString();
    controller.setTitle(shortTitle);
    controller.showWithProgressEnabled(true);
    EXPECT_TRUE(window().windowHandle()->isExposed());
    EXPECT_EQ(editor.text(), QString());
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.text() == u"a"_s; }, 5000));
    EXPECT_TRUE(editor.isActiveWindow());
    controller.hideNow();
}

QString windowId(const QWidget& window)
{
    return u"0x%1"_s.arg(window.winId(), 0, 16);
}

// xprop runs to its end without turning Qt's event loop, as a mount blocks.
QString properties(const QWidget& window)
{
    return runProgram(u"xprop"_s,
        {u"-id"_s, windowId(window), u"_NET_WM_STATE"_s, u"_MOTIF_WM_HINTS"_s,
            u"_NET_WM_WINDOW_TYPE"_s})
        .output;
}

// Drawn while the caller blocks: text, and the busy indicator while it runs.
void expectOnScreenWhileTheCallerBlocks(const char* artefact)
{
    RZStatusController controller(std::make_unique<RZStatusWindow>());
    const RZStatusWindow& window = *controller.statusWindow();
    controller.setTitle(u"Mounting drive smb://127.0.0.1/share"_s);
    controller.showWithProgressEnabled(true);
    // No event is processed from here on: the X server must already hold the drawn window.
    const QImage shot = ScreenCapture::capture({u"-id"_s, windowId(window)});
    ScreenCapture::keepAsArtefact(shot, QString::fromUtf8(artefact));
    EXPECT_EQ(shot.size(), window.size());
    const ScreenCapture::PixelCensus census = ScreenCapture::takeCensus(shot);
    EXPECT_GT(census.background, shot.width() * shot.height() / 2);
    EXPECT_GT(census.text, 100) << "no text drawn";
    EXPECT_GT(census.highlight, 50) << "no busy indicator drawn";
    EXPECT_TRUE(properties(window).contains(u"_NET_WM_STATE_ABOVE"_s));
    controller.hideNow();
    controller.show();
    const QImage stopped = ScreenCapture::capture({u"-id"_s, windowId(window)});
    EXPECT_EQ(ScreenCapture::takeCensus(stopped).highlight, 0) << "stopped indicator drawn";
    controller.hideNow();
}

TEST(StatusWindow, TitledRequestComesOutFramelessAboveOthersAndDrawnWhileTheCallerBlocks)
{
    // With a display, the shared status window is a window.
    ASSERT_TRUE(RZStatusController::displayAvailable());
    ASSERT_NE(RZStatusController::sharedStatusController(), nullptr);
    EXPECT_NE(RZStatusController::sharedStatusController()->statusWindow(), nullptr);
    RZStatusWindow window(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_EQ(window.windowFlags()
            & (Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint),
        Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.orderFrontAndDisplay();
    // Motif hints as a window manager reads them: flags, functions, decorations (none if flag 2).
    const QString shown = properties(window);
    static const QRegularExpression motif(QStringLiteral(
        "_MOTIF_WM_HINTS\\(_MOTIF_WM_HINTS\\) = (0x[0-9a-f]+), 0x[0-9a-f]+, (0x[0-9a-f]+)"));
    const QRegularExpressionMatch hints = motif.match(shown);
    ASSERT_TRUE(hints.hasMatch()) << shown.toStdString();
    EXPECT_TRUE(hints.captured(1).toUInt(nullptr, 16) & 2);
    EXPECT_EQ(hints.captured(2).toUInt(nullptr, 16), 0u);
    EXPECT_TRUE(shown.contains(u"_NET_WM_WINDOW_TYPE_UTILITY"_s)) << shown.toStdString();
    // CTest runs this test once more under tests/harness/with-desktop, which starts openbox.
    const bool managed = runProgram(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s})
                             .output.contains(u"window id");
    expectOnScreenWhileTheCallerBlocks(
        managed ? "status-window-window-manager.png" : "status-window-mounting.png");
}

}
