#include "volumes/KTProcessCredentialPrompt.h"

#include "status/RZStatusController.h"
#include "volumes/KTPasswordDialog.h"
#include "volumes/KTTerminalCredentialPrompt.h"

std::optional<KTCredentials> anonymousCredentials(const KTCredentialRequest& request)
{
    if (!request.anonymousAllowed || request.attempt > 1)
        return std::nullopt;
    KTCredentials credentials;
    credentials.anonymous = true;
    return credentials;
}

std::optional<KTCredentials> KTProcessCredentialPrompt::askPassword(
    const KTCredentialRequest& request)
{
    if (RZStatusController::displayAvailable())
        return KTPasswordDialog::ask(request);
    if (std::unique_ptr<KTTerminalCredentialPrompt> terminal =
            KTTerminalCredentialPrompt::openControllingTerminal())
        return terminal->askPassword(request);
    return anonymousCredentials(request);
}
