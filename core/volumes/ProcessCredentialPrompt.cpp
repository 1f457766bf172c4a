#include "volumes/ProcessCredentialPrompt.h"

#include "volumes/TerminalCredentialPrompt.h"

std::optional<Credentials> anonymousCredentials(const CredentialRequest& request)
{
    if (!request.anonymousAllowed || request.attempt > 1)
        return std::nullopt;
    Credentials credentials;
    credentials.anonymous = true;
    credentials.automatic = true;
    return credentials;
}

ProcessCredentialPrompt::ProcessCredentialPrompt(const MountWindows& windows)
    : m_windows(windows)
{
}

std::optional<Credentials> ProcessCredentialPrompt::askPassword(const CredentialRequest& request)
{
    if (m_windows.credentialDialog)
        return askInDialog(request);
    if (std::unique_ptr<TerminalCredentialPrompt> terminal =
            TerminalCredentialPrompt::openControllingTerminal())
        return terminal->askPassword(request);
    return anonymousCredentials(request);
}

// The status window floats above every other window, centred on the screen as the dialog
// is, and would hide it. A cancelled dialog ends the mount, which hides the status
// anyway: it comes back only for an answer.
std::optional<Credentials> ProcessCredentialPrompt::askInDialog(const CredentialRequest& request)
{
    StatusDisplay* status = m_windows.currentStatusDisplay();
    const bool statusShown = status && status->isShown();
    const bool progressRunning = statusShown && status->isProgressRunning();
    if (statusShown)
        status->hideNow();
    std::optional<Credentials> answer = m_windows.credentialDialog(request);
    // The dialog ran the event loop: the status display is looked up again.
    if (statusShown && answer) {
        if (StatusDisplay* again = m_windows.currentStatusDisplay())
            again->showWithProgressEnabled(progressRunning);
    }
    return answer;
}
