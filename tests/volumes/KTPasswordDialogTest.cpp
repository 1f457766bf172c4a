#include "volumes/KTPasswordDialog.h"

#include "volumes/KTProcessCredentialPrompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

KTCredentialRequest request(bool needsDomain, bool anonymousAllowed)
{
    KTCredentialRequest request;
    request.message = QStringLiteral("Enter user and password for share “private” on “127.0.0.1”");
    request.defaultUser = QStringLiteral("root");
    request.defaultDomain = QStringLiteral("WORKGROUP");
    request.needsUser = request.needsPassword = true;
    request.needsDomain = needsDomain;
    request.anonymousAllowed = anonymousAllowed;
    return request;
}

// Answers the dialog that ask() shows, once it is on the screen.
void answerModalDialog(const std::function<void(KTPasswordDialog&)>& answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<KTPasswordDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

TEST(KTPasswordDialog, ShowsTheFieldsTheServerNeedsWithDefaults)
{
    KTPasswordDialog dialog(request(false, false));
    EXPECT_FALSE(dialog.userField()->isHidden());
    EXPECT_TRUE(dialog.domainField()->isHidden());
    EXPECT_FALSE(dialog.passwordField()->isHidden());
    EXPECT_EQ(dialog.guestChoice(), nullptr);
    EXPECT_EQ(dialog.userField()->text(), QStringLiteral("root"));
    EXPECT_EQ(dialog.passwordField()->echoMode(), QLineEdit::Password);
}

TEST(KTPasswordDialog, GuestChoiceDisablesTheFieldsAndAnswersAnonymously)
{
    KTPasswordDialog dialog(request(true, true));
    ASSERT_NE(dialog.guestChoice(), nullptr);
    EXPECT_FALSE(dialog.credentials().anonymous);
    dialog.guestChoice()->setChecked(true);
    EXPECT_FALSE(dialog.passwordField()->isEnabled());
    EXPECT_TRUE(dialog.credentials().anonymous);
    EXPECT_TRUE(dialog.credentials().password.isEmpty());
}

TEST(KTPasswordDialog, AskGivesWhatTheUserEnteredOrNoneOnCancel)
{
    answerModalDialog([](KTPasswordDialog& dialog) {
        dialog.userField()->setText(QStringLiteral("kestrova"));
        dialog.domainField()->setText(QStringLiteral("KESTROVA"));
        dialog.passwordField()->setText(QStringLiteral("s3cret"));
        dialog.accept();
    });
    const std::optional<KTCredentials> credentials = KTPasswordDialog::ask(request(true, true));
    ASSERT_TRUE(credentials);
    EXPECT_FALSE(credentials->anonymous);
    EXPECT_EQ(credentials->user, QStringLiteral("kestrova"));
    EXPECT_EQ(credentials->domain, QStringLiteral("KESTROVA"));
    EXPECT_EQ(credentials->password, QStringLiteral("s3cret"));

    answerModalDialog([](KTPasswordDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(KTPasswordDialog::ask(request(true, true)), std::nullopt);
}

TEST(KTProcessCredentialPrompt, WithoutAnyoneToAskTriesAGuestLoginOnce)
{
    KTCredentialRequest guestAllowed = request(true, true);
    ASSERT_TRUE(anonymousCredentials(guestAllowed));
    EXPECT_TRUE(anonymousCredentials(guestAllowed)->anonymous);
    guestAllowed.attempt = 2;
    EXPECT_EQ(anonymousCredentials(guestAllowed), std::nullopt);
    EXPECT_EQ(anonymousCredentials(request(true, false)), std::nullopt);
}

}
