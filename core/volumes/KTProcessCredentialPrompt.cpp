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

KTProcessCredentialPrompt::KTProcessCredentialPrompt(KTStatusDisplaySource statusDisplay)
    : m_statusDisplay(std::move(statusDisplay))
{
}

std::optional<KTCredentials> KTProcessCredentialPrompt::askPassword(
    const KTCredentialRequest& request)
{
    if (RZStatusController::displayAvailable())
        return askInDialog(request);
    if (std::unique_ptr<KTTerminalCredentialPrompt> terminal =
            KTTerminalCredentialPrompt::openControllingTerminal())
        return terminal->askPassword(request);
    return anonymousCredentials(request);
}

// The status window floats above every other window, centred on the screen as the dialog
// is, and would hide it. A cancelled dialog ends the mount, which hides the status
// anyway: it comes back only for an answer.
std::optional<KTCredentials> KTProcessCredentialPrompt::askInDialog(
    const KTCredentialRequest& request)
{
    KTStatusDisplay* status = statusDisplay();
    const bool statusShown = status && status->isShown();
    const bool progressRunning = statusShown && status->isProgressRunning();
    if (statusShown)
        status->hideNow();
    std::optional<KTCredentials> answer = KTPasswordDialog::ask(request);
    // The dialog ran the event loop: the status display is looked up again.
    if (statusShown && answer) {
        if (KTStatusDisplay* again = statusDisplay())
            again->showWithProgressEnabled(progressRunning);
    }
    return answer;
}

KTStatusDisplay* KTProcessCredentialPrompt::statusDisplay() const
{
    return m_statusDisplay ? m_statusDisplay() : nullptr;
}
