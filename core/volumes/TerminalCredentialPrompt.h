#pragma once

#include "volumes/CredentialPrompt.h"

#include <QByteArray>

#include <memory>

// Asks for credentials on a terminal, as command-line mount tools do: the server's
// message, a guest question where the server allows guests, then user, domain and
// password, each with its default in brackets. The password is read with echo off; where
// the desktop keyring may keep it, how long it keeps it is asked last.
// End of input cancels.
class TerminalCredentialPrompt final : public CredentialPrompt {
public:
    // Uses the terminal open at fd, which stays the caller's.
    explicit TerminalCredentialPrompt(int terminal);
    ~TerminalCredentialPrompt() override;
    TerminalCredentialPrompt(const TerminalCredentialPrompt&) = delete;
    TerminalCredentialPrompt& operator=(const TerminalCredentialPrompt&) = delete;

    // The prompt on the process's controlling terminal, or null when it has none.
    static std::unique_ptr<TerminalCredentialPrompt> openControllingTerminal();

    std::optional<Credentials> askPassword(const CredentialRequest& request) override;

private:
    std::optional<QString> askLine(const QString& question, bool echo = true);
    void write(const QString& text);
    std::optional<QByteArray> readLine();

    int m_terminal;
    bool m_ownsTerminal = false;
};
