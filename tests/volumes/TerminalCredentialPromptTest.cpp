#include "support/QtPrinters.h"
#include "volumes/KTTerminalCredentialPrompt.h"

#include <QList>

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// A user at a real pseudo-terminal typing the next keys at each prompt (text ending in
// ": "), who keeps what the screen showed.
class TerminalUser {
public:
    explicit TerminalUser(QList<QByteArray> keys)
        : m_keys(std::move(keys))
    {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) == 0)
            m_thread = std::thread([this] { converse(); });
    }
    ~TerminalUser()
    {
        screen();
        ::close(m_master);
        ::close(m_slave);
    }
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
        // Stops only once the screen is read out: the last echo may come after the answer.
        for (char buffer[256];;) {
            pollfd master {m_master, POLLIN, 0};
            const ssize_t count =
                ::poll(&master, 1, 20) > 0 ? ::read(m_master, buffer, sizeof buffer) : 0;
            if (count <= 0 && m_stop)
                return;
            m_screen.append(buffer, std::max<ssize_t>(count, 0));
            if (count <= 0 || !m_screen.endsWith(": ") || m_keys.isEmpty())
                continue;
            const QByteArray keys = m_keys.takeFirst();
            (void)!::write(m_master, keys.constData(), size_t(keys.size()));
        }
    }
    QList<QByteArray> m_keys;
    int m_master = -1;
    int m_slave = -1;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
    QByteArray m_screen;
};

TEST(TerminalCredentialPrompt, AsksWhatTheServerNeedsWithoutEchoingThePassword)
{
    KTCredentialRequest request;
    request.message = QStringLiteral("Enter user and password for share “private” on “127.0.0.1”");
    request.defaultUser = QStringLiteral("root");
    request.defaultDomain = QStringLiteral("WORKGROUP");
    request.needsUser = request.needsDomain = request.needsPassword = true;
    const struct {
        bool guestAllowed;
        QList<QByteArray> keys;
        const char* prompts; // what the screen shows after the server's message
        std::optional<KTCredentials> answer; // none: cancelled
    } cases[] = {
        {false, {"kestrova\n", "\n", "s3cret pass\n"},
            "User [root]: kestrova\r\nDomain [WORKGROUP]: \r\nPassword: \r\n",
            KTCredentials {false, QStringLiteral("kestrova"), QStringLiteral("WORKGROUP"),
                QStringLiteral("s3cret pass")}},
        {true, {"y\n"}, "Connect as guest? [y/N]: y\r\n", KTCredentials {true, {}, {}, {}}},
        {true, {"n\n", "kestrova\n", "\x04"},
            "Connect as guest? [y/N]: n\r\nUser [root]: kestrova\r\nDomain [WORKGROUP]: ",
            std::nullopt},
    };
    for (const auto& c : cases) {
        TerminalUser user(c.keys);
        request.anonymousAllowed = c.guestAllowed;
        const std::optional<KTCredentials> credentials =
            KTTerminalCredentialPrompt(user.terminal()).askPassword(request);
        const QByteArray screen = user.screen();
        EXPECT_TRUE(screen.startsWith(request.message.toUtf8())) << screen.toStdString();
        EXPECT_TRUE(screen.contains(c.prompts)) << screen.toStdString();
        ASSERT_EQ(credentials.has_value(), c.answer.has_value());
        if (credentials) {
            EXPECT_EQ(credentials->anonymous, c.answer->anonymous);
            EXPECT_EQ(QStringList({credentials->user, credentials->domain, credentials->password}),
                QStringList({c.answer->user, c.answer->domain, c.answer->password}));
        }
    }
}

}
