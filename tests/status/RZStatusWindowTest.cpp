#include "status/RZStatusWindow.h"

#include "status/RZStatusController.h"
#include "support/ScreenCapture.h"

#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using ScreenCapture::keepAsArtefact;
using ScreenCapture::PixelCensus;
using ScreenCapture::takeCensus;

const QString mountingTitle = QStringLiteral("Mounting drive smb://127.0.0.1/share");

// Runs an X client to completion. Waiting for it, like waiting for a capture, blocks this
// thread without turning Qt's event loop, as a mount does.
QByteArray runXClient(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return process.readAllStandardOutput();
}

QString windowId(const QWidget& window)
{
    return QStringLiteral("0x%1").arg(window.winId(), 0, 16);
}

// What the X server itself shows of the window.
QImage captureFromServer(const QWidget& window)
{
    return ScreenCapture::capture({QStringLiteral("-id"), windowId(window)});
}

// Motif window-manager hints are flags, functions, decorations, input mode and status; the
// decorations count where flag 2 is set.
bool asksForNoDecorations(const QString& xpropOutput)
{
    static const QRegularExpression hints(QStringLiteral(
        "_MOTIF_WM_HINTS\\(_MOTIF_WM_HINTS\\) = (0x[0-9a-f]+), 0x[0-9a-f]+, (0x[0-9a-f]+)"));
    const QRegularExpressionMatch match = hints.match(xpropOutput);
    if (!match.hasMatch())
        return false;
    const uint flags = match.captured(1).toUInt(nullptr, 16);
    const uint decorations = match.captured(2).toUInt(nullptr, 16);
    return (flags & 2) != 0 && decorations == 0;
}

// A reparenting window manager on the test's X server, which maps windows in its own time
// and decides their stacking. Stopped again when the test ends.
class WindowManager {
public:
    WindowManager()
    {
        m_process.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        m_running = m_process.waitForStarted() && managesScreen() && mapsWindows();
    }
    ~WindowManager()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }

    bool isRunning() const { return m_running; }

private:
    static bool managesScreen()
    {
        for (int attempt = 0; attempt < 200; ++attempt) {
            QProcess probe;
            probe.start(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
            if (probe.waitForFinished() && probe.readAllStandardOutput().contains("window id"))
                return true;
            QThread::msleep(25);
        }
        return false;
    }

    // openbox claims the screen before it is ready to manage windows, and a window whose
    // map request comes in that moment is never mapped (on a fresh machine, building its
    // font cache, the moment lasts a second or more). A window it has mapped shows that
    // it is ready; each try is a new window with a new map request.
    static bool mapsWindows()
    {
        for (int attempt = 0; attempt < 10; ++attempt) {
            QWidget probe;
            probe.resize(40, 40);
            probe.show();
            if (QTest::qWaitForWindowExposed(&probe, 2000))
                return true;
        }
        return false;
    }

    QProcess m_process;
    bool m_running = false;
};

}

TEST(StatusWindow, TitledRequestComesOutFramelessAndAboveOthers)
{
    RZStatusWindow window(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(window.autoFillBackground());

    // What a window manager would read from the server.
    window.orderFrontAndDisplay();
    const QString properties = QString::fromUtf8(runXClient(QStringLiteral("xprop"),
        {QStringLiteral("-id"), windowId(window), QStringLiteral("_NET_WM_STATE"),
            QStringLiteral("_MOTIF_WM_HINTS"), QStringLiteral("_NET_WM_WINDOW_TYPE")}));
    EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_STATE_ABOVE")))
        << properties.toStdString();
    EXPECT_TRUE(asksForNoDecorations(properties)) << properties.toStdString();
    EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_UTILITY")))
        << properties.toStdString();
}

TEST(StatusWindow, IsOnScreenWhileTheCallerBlocks)
{
    RZStatusController controller(std::make_unique<RZStatusWindow>());
    RZStatusWindow& window = *controller.statusWindow();
    controller.setTitle(mountingTitle);
    controller.showWithProgressEnabled(true);

    // No event is processed from here on: the X server must already hold the drawn window.
    const QImage shot = captureFromServer(window);
    ASSERT_FALSE(shot.isNull());
    keepAsArtefact(shot, QStringLiteral("status-window-mounting.png"));
    EXPECT_EQ(shot.size(), window.size());
    const PixelCensus census = takeCensus(shot);
    EXPECT_GT(census.background, shot.width() * shot.height() / 2);
    EXPECT_GT(census.text, 100) << "no text drawn";
    EXPECT_GT(census.highlight, 50) << "no busy indicator drawn";

    controller.hideNow();
    controller.show();
    EXPECT_EQ(takeCensus(captureFromServer(window)).highlight, 0) << "stopped indicator drawn";
    controller.hideNow();
}

TEST(StatusWindow, IsOnScreenUnderWindowManagerWhileTheCallerBlocks)
{
    if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
        GTEST_SKIP() << "openbox is not installed (scripts/bootstrap installs it)";
    WindowManager windowManager;
    ASSERT_TRUE(windowManager.isRunning()) << "openbox did not take over the screen";

    RZStatusController controller(std::make_unique<RZStatusWindow>());
    controller.setTitle(mountingTitle);
    controller.showWithProgressEnabled(true);

    const PixelCensus census = takeCensus(captureFromServer(*controller.statusWindow()));
    EXPECT_GT(census.text, 100) << "no text drawn";
    EXPECT_GT(census.highlight, 50) << "no busy indicator drawn";

    const QString state = QString::fromUtf8(runXClient(QStringLiteral("xprop"),
        {QStringLiteral("-id"), windowId(*controller.statusWindow()),
            QStringLiteral("_NET_WM_STATE")}));
    EXPECT_TRUE(state.contains(QStringLiteral("_NET_WM_STATE_ABOVE"))) << state.toStdString();
    controller.hideNow();
}
