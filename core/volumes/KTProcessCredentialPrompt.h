#pragma once

#include "volumes/KTCredentialPrompt.h"

// Asks the way this process can: in a dialog when it is a Qt Widgets application on a
// display, on its controlling terminal when it has one; otherwise it tries a guest login
// once and then gives up.
class KTProcessCredentialPrompt final : public KTCredentialPrompt {
public:
    std::optional<KTCredentials> askPassword(const KTCredentialRequest& request) override;
};

// The answer of a process that can ask nobody: a guest login where the server allows
// one, on the first question only.
std::optional<KTCredentials> anonymousCredentials(const KTCredentialRequest& request);
