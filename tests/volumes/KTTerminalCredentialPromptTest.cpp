#include "volumes/KTTerminalCredentialPrompt.h"

#include "TerminalUser.h"

#include <gtest/gtest.h>

namespace {

KTCredentialRequest passwordRequest()
{
    KTCredentialRequest request;
    request.message = QStringLiteral("Enter user and password for share “private” on “127.0.0.1”");
    request.defaultUser = QStringLiteral("root");
    request.defaultDomain = QStringLiteral("WORKGROUP");
    request.needsUser = request.needsDomain = request.needsPassword = true;
    return request;
}

TEST(KTTerminalCredentialPrompt, AsksUserDomainAndPasswordWithoutEchoingThePassword)
{
    TerminalUser user({{"User [root]", "kestrova\n"}, {"Domain [WORKGROUP]", "\n"},
        {"Password", "s3cret pass\n"}});
    KTTerminalCredentialPrompt prompt(user.terminal());
    const std::optional<KTCredentials> credentials = prompt.askPassword(passwordRequest());
    ASSERT_TRUE(credentials);
    EXPECT_FALSE(credentials->anonymous);
    EXPECT_EQ(credentials->user, QStringLiteral("kestrova"));
    EXPECT_EQ(credentials->domain, QStringLiteral("WORKGROUP"));
    EXPECT_EQ(credentials->password, QStringLiteral("s3cret pass"));
    const QByteArray screen = user.screen();
    EXPECT_TRUE(screen.contains("share “private” on “127.0.0.1”"));
    EXPECT_TRUE(screen.contains("kestrova"));
    EXPECT_FALSE(screen.contains("s3cret"));
}

TEST(KTTerminalCredentialPrompt, GuestAnswerNeedsNoMoreQuestions)
{
    TerminalUser user({{"Connect as guest?", "y\n"}});
    KTTerminalCredentialPrompt prompt(user.terminal());
    KTCredentialRequest request = passwordRequest();
    request.anonymousAllowed = true;
    const std::optional<KTCredentials> credentials = prompt.askPassword(request);
    ASSERT_TRUE(credentials);
    EXPECT_TRUE(credentials->anonymous);
    EXPECT_FALSE(user.screen().contains("User"));
}

TEST(KTTerminalCredentialPrompt, EndOfInputCancels)
{
    TerminalUser user({{"User [root]", "kestrova\n"}, {"Domain", "\x04"}});
    KTTerminalCredentialPrompt prompt(user.terminal());
    EXPECT_EQ(prompt.askPassword(passwordRequest()), std::nullopt);
}

}
