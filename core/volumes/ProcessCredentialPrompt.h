#pragma once

#include "volumes/CredentialPrompt.h"
#include "volumes/MountWindows.h"

// Asks the way this process can: in the credential dialog of its windows when it has
// one, on its controlling terminal when it has one; otherwise it tries a guest login once
// and then gives up. The windows are read at each question, so that a program may install
// them after the prompt is made.
//
// The status window of the mount that asks is hidden while the dialog is up and shown
// again once the user has answered, as the mount goes on.
class ProcessCredentialPrompt final : public CredentialPrompt {
public:
    explicit ProcessCredentialPrompt(const MountWindows& windows);

    std::optional<Credentials> askPassword(const CredentialRequest& request) override;

private:
    std::optional<Credentials> askInDialog(const CredentialRequest& request);
    const MountWindows& m_windows;
};

// The answer of a process that can ask nobody: a guest login where the server allows
// one, on the first question only.
std::optional<Credentials> anonymousCredentials(const CredentialRequest& request);
