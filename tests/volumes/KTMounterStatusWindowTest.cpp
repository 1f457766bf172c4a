#include "FakeMountParts.h"
#include "status/RZStatusController.h"
#include "status/RZStatusWindow.h"
#include "support/FileServer.h"
#include "volumes/KTGvfsServerMount.h"
#include "volumes/KTMounter.h"
#include "volumes/KTStatusControllerDisplay.h"
#include "volumes/KTSystemMountTable.h"

#include <QDir>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <thread>

namespace {

// The whole screen as the X server shows it: xwd dumps the root window, xwdtopnm makes a
// PPM of it.
QImage captureScreen()
{
    QProcess dump;
    QProcess convert;
    dump.setStandardOutputProcess(&convert);
    dump.start(QStringLiteral("xwd"), {QStringLiteral("-silent"), QStringLiteral("-root")});
    convert.start(QStringLiteral("xwdtopnm"), {});
    // The converter's output is read while waiting for it: a screen does not fit in a pipe.
    if (!convert.waitForFinished(20000) || !dump.waitForFinished(20000) || dump.exitCode() != 0
        || convert.exitCode() != 0)
        return {};
    return QImage::fromData(convert.readAllStandardOutput(), "PPM");
}

// Takes a screenshot on another thread while the real mount blocks this one, as it
// blocks the application's main thread: no event is processed meanwhile.
class ScreenshotDuringMount final : public KTServerMount {
public:
    explicit ScreenshotDuringMount(KTServerMount& mount)
        : m_mount(mount)
    {
    }

    KTServerMountResult mountServerVolume(const QString& url) override
    {
        std::thread capture([this] { screenshot = captureScreen(); });
        KTServerMountResult result = m_mount.mountServerVolume(url);
        capture.join();
        return result;
    }

    QImage screenshot;

private:
    KTServerMount& m_mount;
};

struct PixelCensus {
    int text = 0;
    int highlight = 0;
};

// Text is near black; the running indicator is in the palette's highlight colour, a clear
// blue.
PixelCensus takeCensus(const QImage& image)
{
    PixelCensus census;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            census.text += qGray(pixel) < 80;
            census.highlight += qBlue(pixel) - qRed(pixel) > 80;
        }
    }
    return census;
}

TEST(KTMounterStatusWindow, IsOnScreenWhileAShareIsMounted)
{
    KESTROVA_REQUIRE_FILE_SERVER();
    FileServer::unmountEverything();
    RZStatusController controller(std::make_unique<RZStatusWindow>());
    KTStatusControllerDisplay display(controller);
    KTSystemMountTable table;
    ScriptedPrompt guest = ScriptedPrompt::guest();
    KTGvfsServerMount gvfs(guest);
    ScreenshotDuringMount mount(gvfs);
    KTMounter mounter(table, mount, [&] { return &display; });

    ASSERT_TRUE(
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.1/guest"), QStringLiteral("smb")));
    EXPECT_FALSE(controller.isShown());
    ASSERT_FALSE(mount.screenshot.isNull());
    const QImage window = mount.screenshot.copy(controller.statusWindow()->geometry());

    const QString folder = QStringLiteral(KESTROVA_ARTIFACT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/status-window-mounting-share.png");
    EXPECT_TRUE(window.save(path, "PNG")) << path.toStdString();
    testing::Test::RecordProperty("screenshot", path.toStdString());
    const PixelCensus census = takeCensus(window);
    EXPECT_GT(census.text, 100) << "no title drawn";
    EXPECT_GT(census.highlight, 50) << "no busy indicator drawn";
    FileServer::unmountEverything();
}

}
