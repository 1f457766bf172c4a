#pragma once

#include "volumes/CredentialPrompt.h"
#include "volumes/StatusDisplay.h"

#include <functional>

// Shows the credential dialog for a request; none when the user cancels.
using CredentialDialog = std::function<std::optional<Credentials>(const CredentialRequest&)>;

// The windows a mount shows: the status window while the mount blocks and the dialog that
// asks for a share's credentials. Both are widgets, which the core does not link; the
// program that shows them installs them here, and a part left empty is done without.
struct MountWindows {
    StatusDisplaySource statusDisplay;
    CredentialDialog credentialDialog;

    // The process's, which the default mounter reads at each mount. Empty until the
    // program with windows fills it at start-up: a process that installs nothing shows
    // no status window and asks on its terminal. Main thread only.
    static MountWindows& installed();

    // The status window at the moment of the call, or null when there is none.
    StatusDisplay* currentStatusDisplay() const;
};
