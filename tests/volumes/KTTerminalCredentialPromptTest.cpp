#include "volumes/KTTerminalCredentialPrompt.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <initializer_list>
#include <thread>
#include <utility>

namespace {

// A user at a real pseudo-terminal: answers each prompt when it appears, as a person
// would, and keeps everything the terminal showed.
class TerminalUser {
public:
    // Pairs of the prompt's last characters and the keys the user types then.
    explicit TerminalUser(std::initializer_list<std::pair<const char*, const char*>> answers)
    {
        for (const auto& [prompt, keys] : answers)
            m_answers.append({QByteArray(prompt), QByteArray(keys)});
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
            return;
        m_thread = std::thread([this] { converse(); });
    }
    ~TerminalUser()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_master);
        ::close(m_slave);
    }
    TerminalUser(const TerminalUser&) = delete;
    TerminalUser& operator=(const TerminalUser&) = delete;

    int terminal() const { return m_slave; }
    QByteArray screen()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_screen;
    }

private:
    void converse()
    {
        while (!m_stop) {
            pollfd master {m_master, POLLIN, 0};
            if (::poll(&master, 1, 20) <= 0)
                continue;
            char buffer[256];
            const ssize_t count = ::read(m_master, buffer, sizeof buffer);
            if (count <= 0)
                continue;
            m_screen.append(buffer, count);
            for (const auto& [prompt, answer] : std::as_const(m_answers)) {
                if (m_screen.endsWith(prompt)) {
                    (void)!::write(m_master, answer.constData(), size_t(answer.size()));
                    break;
                }
            }
        }
    }

    QList<std::pair<QByteArray, QByteArray>> m_answers;
    int m_master = -1;
    int m_slave = -1;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
    QByteArray m_screen;
};

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
    TerminalUser user({{"User [root]: ", "kestrova\n"}, {"Domain [WORKGROUP]: ", "\n"},
        {"Password: ", "s3cret pass\n"}});
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
    TerminalUser user({{"Connect as guest? [y/N]: ", "y\n"}});
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
    TerminalUser user({{"User [root]: ", "kestrova\n"}, {"Domain [WORKGROUP]: ", "\x04"}});
    KTTerminalCredentialPrompt prompt(user.terminal());
    EXPECT_EQ(prompt.askPassword(passwordRequest()), std::nullopt);
}

}
