#include "volumes/KTProcessCredentialPrompt.h"

#include "volumes/KTTerminalCredentialPrompt.h"

std::optional<KTCredentials> anonymousCredentials(const KTCredentialRequest& request)
{
    if (!request.anonymousAllowed || request.attempt > 1)
        return std::nullopt;
    KTCredentials credentials;
    credentials.anonymous = true;
    return credentials;
}

KTProcessCredentialPrompt::KTProcessCredentialPrompt(const MountWindows& windows)
    : m_windows(windows)
{
}

std::optional<KTCredentials> KTProcessCredentialPrompt::askPassword(
    const KTCredentialRequest& request)
{
    if (m_windows.credentialDialog)
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
    KTStatusDisplay* status = m_windows.currentStatusDisplay();
    const bool statusShown = status && status->isShown();
    const bool progressRunning = statusShown && status->isProgressRunning();
    if (statusShown)
        status->hideNow();
    std::optional<KTCredentials> answer = m_windows.credentialDialog(request);
    // The dialog ran the event loop: the status display is looked up again.
    if (statusShown && answer) {
        if (KTStatusDisplay* again = m_windows.currentStatusDisplay())
            again->showWithProgressEnabled(progressRunning);
    }
    return answer;
}
