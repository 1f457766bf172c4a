#include "support/ScreenCapture.h"
#include "windows/RZStatusController.h"
#include "windows/RZStatusWindow.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// Runs an X client to completion, blocking without turning Qt's event loop, as a mount does.
QString runXClient(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        ADD_FAILURE() << program.toStdString() << ": "
                      << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString windowId(const QWidget& window)
{
    return QStringLiteral("0x%1").arg(window.winId(), 0, 16);
}

QString properties(const QWidget& window)
{
    return runXClient(QStringLiteral("xprop"),
        {QStringLiteral("-id"), windowId(window), QStringLiteral("_NET_WM_STATE"),
            QStringLiteral("_MOTIF_WM_HINTS"), QStringLiteral("_NET_WM_WINDOW_TYPE")});
}

// Drawn while the caller blocks: text, and the busy indicator while it runs.
void expectOnScreenWhileTheCallerBlocks(const char* artefact)
{
    RZStatusController controller(std::make_unique<RZStatusWindow>());
    const RZStatusWindow& window = *controller.statusWindow();
    controller.setTitle(QStringLiteral("Mounting drive smb://127.0.0.1/share"));
    controller.showWithProgressEnabled(true);
    // No event is processed from here on: the X server must already hold the drawn window.
    const QImage shot = ScreenCapture::capture({QStringLiteral("-id"), windowId(window)});
    ScreenCapture::keepAsArtefact(shot, QString::fromUtf8(artefact));
    EXPECT_EQ(shot.size(), window.size());
    const ScreenCapture::PixelCensus census = ScreenCapture::takeCensus(shot);
    EXPECT_GT(census.background, shot.width() * shot.height() / 2);
    EXPECT_GT(census.text, 100) << "no text drawn";
    EXPECT_GT(census.highlight, 50) << "no busy indicator drawn";
    EXPECT_TRUE(properties(window).contains(QStringLiteral("_NET_WM_STATE_ABOVE")));
    controller.hideNow();
    controller.show();
    const QImage stopped = ScreenCapture::capture({QStringLiteral("-id"), windowId(window)});
    EXPECT_EQ(ScreenCapture::takeCensus(stopped).highlight, 0) << "stopped indicator drawn";
    controller.hideNow();
}

TEST(StatusWindow, TitledRequestComesOutFramelessAboveOthersAndDrawnWhileTheCallerBlocks)
{
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
    EXPECT_TRUE(shown.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_UTILITY")))
        << shown.toStdString();
    expectOnScreenWhileTheCallerBlocks("status-window-mounting.png");
}

// openbox claims the screen before it manages windows, and loses a map request made then:
// a probe window it has mapped shows it is ready.
bool windowManagerIsReady()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        QProcess probe;
        probe.start(QStringLiteral("xprop"),
            {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        if (probe.waitForFinished() && probe.readAllStandardOutput().contains("window id"))
            break;
        QThread::msleep(25);
    }
    for (int attempt = 0; attempt < 10; ++attempt) {
        QWidget probe;
        probe.resize(40, 40);
        probe.show();
        if (QTest::qWaitForWindowExposed(&probe, 2000))
            return true;
    }
    return false;
}

TEST(StatusWindow, IsDrawnUnderAReparentingWindowManagerWhileTheCallerBlocks)
{
    if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
        GTEST_SKIP() << "openbox is not installed (scripts/bootstrap installs it)";
    QProcess openbox;
    openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    ASSERT_TRUE(openbox.waitForStarted() && windowManagerIsReady()) << "openbox did not take over";
    expectOnScreenWhileTheCallerBlocks("status-window-window-manager.png");
    openbox.terminate();
    if (!openbox.waitForFinished(5000))
        openbox.kill();
    openbox.waitForFinished();
}

}
