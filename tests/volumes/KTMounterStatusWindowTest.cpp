#include "FakeMountParts.h"
#include "status/RZStatusController.h"
#include "status/RZStatusWindow.h"
#include "support/FileServer.h"
#include "support/ScreenCapture.h"
#include "volumes/KTGvfsServerMount.h"
#include "volumes/KTMounter.h"
#include "volumes/KTPasswordDialog.h"
#include "volumes/KTProcessCredentialPrompt.h"
#include "volumes/KTStatusControllerDisplay.h"
#include "volumes/KTSystemMountTable.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <thread>

namespace {

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
        std::thread capture([this] { screenshot = ScreenCapture::captureScreen(); });
        KTServerMountResult result = m_mount.mountServerVolume(url);
        capture.join();
        return result;
    }

    QImage screenshot;

private:
    KTServerMount& m_mount;
};

class KTMounterStatusWindow : public FileServerTest { };

TEST_F(KTMounterStatusWindow, IsOnScreenWhileAShareIsMounted)
{
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

    ScreenCapture::keepAsArtefact(window, QStringLiteral("status-window-mounting-share.png"));
    const ScreenCapture::PixelCensus census = ScreenCapture::takeCensus(window);
    EXPECT_GT(census.text, 100) << "no title drawn";
    EXPECT_GT(census.highlight, 50) << "no busy indicator drawn";
}

// What the X server shows, asked on a connection of the test's own: the server's answer,
// not what Qt believes it has done.
class XServerView {
public:
    XServerView()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
    }
    ~XServerView() { xcb_disconnect(m_connection); }
    XServerView(const XServerView&) = delete;
    XServerView& operator=(const XServerView&) = delete;

    bool isViewable(WId window) const
    {
        const xcb_get_window_attributes_cookie_t cookie =
            xcb_get_window_attributes(m_connection, static_cast<xcb_window_t>(window));
        const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
            xcb_get_window_attributes_reply(m_connection, cookie, nullptr), &std::free);
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

private:
    xcb_connection_t* m_connection;
};

// The process's own prompt, with whether the status window is on the screen as the
// mount asks and as the answer goes back to it.
class ObservedPrompt final : public KTCredentialPrompt {
public:
    ObservedPrompt(KTCredentialPrompt& prompt, std::function<bool()> statusViewable)
        : m_prompt(prompt)
        , m_statusViewable(std::move(statusViewable))
    {
    }

    std::optional<KTCredentials> askPassword(const KTCredentialRequest& request) override
    {
        statusWhenAsked << m_statusViewable();
        std::optional<KTCredentials> answer = m_prompt.askPassword(request);
        statusWhenAnswered << m_statusViewable();
        return answer;
    }

    QList<bool> statusWhenAsked;
    QList<bool> statusWhenAnswered;

private:
    KTCredentialPrompt& m_prompt;
    std::function<bool()> m_statusViewable;
};

// What the screen showed while the password dialog was up.
struct DialogSighting {
    bool dialogViewable = false;
    bool statusViewable = false;
};

// Mounts the password share through the real dialog, answered (with the account) or
// cancelled once the X server shows it.
class PasswordDialogDuringMount : public FileServerTest {
protected:
    bool mount(bool answer)
    {
        RZStatusController controller(std::make_unique<RZStatusWindow>());
        KTStatusControllerDisplay display(controller);
        const WId statusWindow = controller.statusWindow()->winId();
        const auto statusViewable = [&] { return m_screen.isViewable(statusWindow); };
        KTProcessCredentialPrompt dialogPrompt([&] { return &display; });
        ObservedPrompt prompt(dialogPrompt, statusViewable);
        KTSystemMountTable table;
        KTGvfsServerMount gvfs(prompt);
        KTMounter mounter(table, gvfs, [&] { return &display; });
        QTimer answering;
        answering.setInterval(20);
        QObject::connect(
            &answering, &QTimer::timeout, [&] { lookAtDialog(statusViewable, answer); });
        answering.start();

        const bool mounted = mounter.mountNetworkVolume(
            QStringLiteral("//127.0.0.1/private"), QStringLiteral("smb"));
        m_statusWhenAsked = prompt.statusWhenAsked;
        m_statusWhenAnswered = prompt.statusWhenAnswered;
        m_statusShownAfterMount = controller.isShown();
        return mounted;
    }

    // Runs in the dialog's event loop. A dialog the server never maps is answered after
    // a while all the same, so that the mount ends.
    void lookAtDialog(const std::function<bool()>& statusViewable, bool answer)
    {
        auto* dialog = qobject_cast<KTPasswordDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (m_dialogDeadline.isForever())
            m_dialogDeadline.setRemainingTime(5000);
        const bool dialogViewable = m_screen.isViewable(dialog->winId());
        if (!dialogViewable && !m_dialogDeadline.hasExpired())
            return;
        m_sightings << DialogSighting {dialogViewable, statusViewable()};
        m_dialogDeadline = QDeadlineTimer(QDeadlineTimer::Forever);
        if (!answer) {
            dialog->reject();
            return;
        }
        dialog->userField()->setText(FileServer::user());
        dialog->passwordField()->setText(FileServer::password());
        dialog->accept();
    }

    XServerView m_screen;
    QDeadlineTimer m_dialogDeadline {QDeadlineTimer::Forever};
    QList<DialogSighting> m_sightings;
    QList<bool> m_statusWhenAsked;
    QList<bool> m_statusWhenAnswered;
    bool m_statusShownAfterMount = true;
};

TEST_F(PasswordDialogDuringMount, StatusWindowStepsAsideAndComesBackForTheRestOfTheMount)
{
    ASSERT_TRUE(mount(true));
    ASSERT_EQ(m_sightings.size(), 1);
    EXPECT_TRUE(m_sightings.first().dialogViewable);
    EXPECT_FALSE(m_sightings.first().statusViewable) << "the status window covers the dialog";
    EXPECT_EQ(m_statusWhenAsked, QList<bool> {true});
    EXPECT_EQ(m_statusWhenAnswered, QList<bool> {true});
    EXPECT_FALSE(m_statusShownAfterMount);
}

TEST_F(PasswordDialogDuringMount, CancelledDialogLeavesTheStatusWindowHidden)
{
    EXPECT_FALSE(mount(false));
    ASSERT_EQ(m_sightings.size(), 1);
    EXPECT_TRUE(m_sightings.first().dialogViewable);
    EXPECT_FALSE(m_sightings.first().statusViewable);
    EXPECT_EQ(m_statusWhenAnswered, QList<bool> {false});
    EXPECT_FALSE(m_statusShownAfterMount);
}

}
