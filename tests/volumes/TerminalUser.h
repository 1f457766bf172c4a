#pragma once

#include <QByteArray>
#include <QList>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <initializer_list>
#include <thread>
#include <utility>

// A user at a real pseudo-terminal: answers each prompt when it appears, as a person
// would, and keeps everything the terminal showed.
class TerminalUser {
public:
    // Pairs of the start of a prompt ("User") and the keys the user types at it. A prompt
    // is a last line ending in ": ".
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
            answerPrompt();
        }
    }

    void answerPrompt()
    {
        const QByteArray lastLine = m_screen.mid(m_screen.lastIndexOf('\n') + 1);
        if (!lastLine.endsWith(": ") || m_screen.size() == m_answeredAt)
            return;
        for (const auto& [prompt, answer] : std::as_const(m_answers)) {
            if (lastLine.startsWith(prompt)) {
                (void)!::write(m_master, answer.constData(), size_t(answer.size()));
                m_answeredAt = m_screen.size();
                return;
            }
        }
    }

    QList<std::pair<QByteArray, QByteArray>> m_answers;
    qsizetype m_answeredAt = -1;
    int m_master = -1;
    int m_slave = -1;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
    QByteArray m_screen;
};
