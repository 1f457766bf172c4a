#include "FakeMountParts.h"
#include "support/FileServer.h"
#include "support/ScreenCapture.h"
#include "volumes/GvfsServerMount.h"
#include "volumes/KTMounter.h"
#include "volumes/MountWindows.h"
#include "volumes/ProcessCredentialPrompt.h"
#include "volumes/SystemMountTable.h"
#include "windows/PasswordDialog.h"
#include "windows/RZStatusController.h"
#include "windows/RZStatusWindow.h"
#include "windows/StatusControllerDisplay.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

CredentialRequest request(bool anonymousAllowed)
{
    CredentialRequest request;
    request.message = u"Enter user and password for share “private” on “127.0.0.1”"_s;
    request.defaultUser = u"root"_s;
    request.needsUser = request.needsPassword = true;
    request.needsDomain = request.anonymousAllowed = anonymousAllowed;
    return request;
}

// The fields the server needs; the keyring's choices only where GVfs can save, the password
// kept only as asked. Asking and its answers run through the real mount below.
TEST(PasswordDialog, ShowsTheFieldsTheServerNeedsAndOffersToKeepThePasswordWhereItCan)
{
    PasswordDialog plain(request(false));
    EXPECT_TRUE(plain.domainField()->isHidden());
    EXPECT_EQ(plain.guestChoice(), nullptr);
    EXPECT_EQ(plain.saveChoice(), nullptr);
    EXPECT_EQ(plain.userField()->text(), u"root"_s);
    EXPECT_EQ(plain.passwordField()->echoMode(), QLineEdit::Password);
    // A process that can ask nobody tries a guest login once, where the server allows it.
    CredentialRequest second = request(true);
    second.attempt = 2;
    EXPECT_TRUE(anonymousCredentials(request(true)).value().anonymous);
    EXPECT_EQ(anonymousCredentials(second), std::nullopt);
    EXPECT_EQ(anonymousCredentials(request(false)), std::nullopt);
    CredentialRequest saving = request(true);
    saving.savingSupported = true;
    PasswordDialog dialog(saving);
    ASSERT_NE(dialog.saveChoice(), nullptr);
    EXPECT_EQ(dialog.credentials().save, PasswordSave::Never);
    for (const PasswordSave save : {PasswordSave::ForSession, PasswordSave::Permanently}) {
        dialog.saveChoice()->button(int(save))->click();
        EXPECT_EQ(dialog.credentials().save, save);
    }
    dialog.show();
    QTest::qWait(300);
    ScreenCapture::keepAsArtefact(ScreenCapture::capture({u"-root"_s}), u"password-dialog.png"_s);
    // Wide enough for its title in a bold font beside an icon and three frame buttons.
    QFont bold = dialog.font();
    bold.setBold(true);
    const QFontMetrics title(bold);
    EXPECT_GE(dialog.width(), title.horizontalAdvance(dialog.windowTitle()) + 4 * title.height());
    dialog.guestChoice()->setChecked(true);
    EXPECT_FALSE(dialog.saveChoice()->button(int(PasswordSave::Never))->isEnabled());
    EXPECT_FALSE(dialog.passwordField()->isEnabled());
    EXPECT_TRUE(dialog.credentials().anonymous);
}

// Whether the X server itself shows a window: its answer, not what Qt believes it has done.
bool isViewable(WId window)
{
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(nullptr, nullptr), &xcb_disconnect);
    const auto cookie = xcb_get_window_attributes(connection.get(), xcb_window_t(window));
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
        xcb_get_window_attributes_reply(connection.get(), cookie, nullptr), &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

// The process's prompt, noting whether the status window is up as it asks and answers.
class ObservedPrompt final : public CredentialPrompt {
public:
    ObservedPrompt(CredentialPrompt& prompt, WId status)
        : m_prompt(prompt)
        , m_status(status)
    {
    }
    std::optional<Credentials> askPassword(const CredentialRequest& request) override
    {
        statusWhenAsked << isViewable(m_status);
        std::optional<Credentials> answer = m_prompt.askPassword(request);
        statusWhenAnswered << isViewable(m_status);
        return answer;
    }
    QList<bool> statusWhenAsked;
    QList<bool> statusWhenAnswered;

private:
    CredentialPrompt& m_prompt;
    WId m_status;
};

class PasswordDialogDuringMount : public FileServerTest { };

TEST_F(PasswordDialogDuringMount, StatusWindowStepsAsideAndComesBackOnlyForAnAnswer)
{
    for (const bool answer : {true, false}) {
        SCOPED_TRACE(answer ? "answered" : "cancelled");
        RZStatusController controller(std::make_unique<RZStatusWindow>());
        StatusControllerDisplay display(controller);
        const WId status = controller.statusWindow()->winId();
        const MountWindows windows {[&] { return &display; }, &PasswordDialog::ask};
        ProcessCredentialPrompt dialogPrompt(windows);
        ObservedPrompt prompt(dialogPrompt, status);
        SystemMountTable table;
        GvfsServerMount gvfs(prompt);
        KTMounter mounter(table, gvfs, [&] { return &display; });
        // Answers from the dialog's event loop; one never mapped, after a while all the same.
        QList<std::pair<bool, bool>> sightings;
        QDeadlineTimer deadline(QDeadlineTimer::Forever);
        QTimer answering;
        QObject::connect(&answering, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (deadline.isForever())
                deadline.setRemainingTime(5000);
            if (!isViewable(dialog->winId()) && !deadline.hasExpired())
                return;
            sightings << std::pair(isViewable(dialog->winId()), isViewable(status));
            deadline = QDeadlineTimer(QDeadlineTimer::Forever);
            dialog->userField()->setText(FileServer::user());
            dialog->passwordField()->setText(FileServer::password());
            answer ? dialog->accept() : dialog->reject();
        });
        answering.start(20);
        EXPECT_EQ(mounter.mountNetworkVolume(u"//127.0.0.1/private"_s, u"smb"_s), answer);
        EXPECT_EQ(sightings, (QList {std::pair(true, false)})) << "dialog shown, status aside";
        EXPECT_EQ(prompt.statusWhenAsked, QList {true});
        EXPECT_EQ(prompt.statusWhenAnswered, QList {answer});
        EXPECT_FALSE(controller.isShown());
        FileServer::unmountEverything();
    }
}

}
