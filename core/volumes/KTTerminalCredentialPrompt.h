#pragma once

#include "volumes/KTCredentialPrompt.h"

#include <QByteArray>

#include <memory>

// Asks for credentials on a terminal, as command-line mount tools do: the server's
// message, a guest question where the server allows guests, then user, domain and
// password, each with its default in brackets. The password is read with echo off.
// End of input cancels.
class KTTerminalCredentialPrompt final : public KTCredentialPrompt {
public:
    // Uses the terminal open at fd, which stays the caller's.
    explicit KTTerminalCredentialPrompt(int terminal);
    ~KTTerminalCredentialPrompt() override;
    KTTerminalCredentialPrompt(const KTTerminalCredentialPrompt&) = delete;
    KTTerminalCredentialPrompt& operator=(const KTTerminalCredentialPrompt&) = delete;

    // The prompt on the process's controlling terminal, or null when it has none.
    static std::unique_ptr<KTTerminalCredentialPrompt> openControllingTerminal();

    std::optional<KTCredentials> askPassword(const KTCredentialRequest& request) override;

private:
    std::optional<QString> askLine(const QString& question, bool echo = true);
    void write(const QString& text);
    std::optional<QByteArray> readLine();

    int m_terminal;
    bool m_ownsTerminal = false;
};
