#pragma once

#include "volumes/KTCredentialPrompt.h"
#include "volumes/KTStatusDisplay.h"

// Asks the way this process can: in a dialog when it is a Qt Widgets application on a
// display, on its controlling terminal when it has one; otherwise it tries a guest login
// once and then gives up.
//
// The status window of the mount that asks is hidden while the dialog is up and shown
// again once the user has answered, as the mount goes on.
class KTProcessCredentialPrompt final : public KTCredentialPrompt {
public:
    explicit KTProcessCredentialPrompt(KTStatusDisplaySource statusDisplay);

    std::optional<KTCredentials> askPassword(const KTCredentialRequest& request) override;

private:
    std::optional<KTCredentials> askInDialog(const KTCredentialRequest& request);
    KTStatusDisplay* statusDisplay() const;

    KTStatusDisplaySource m_statusDisplay;
};

// The answer of a process that can ask nobody: a guest login where the server allows
// one, on the first question only.
std::optional<KTCredentials> anonymousCredentials(const KTCredentialRequest& request);
