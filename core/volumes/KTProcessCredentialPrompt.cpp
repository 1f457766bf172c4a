#include "volumes/KTProcessCredentialPrompt.h"

#include "volumes/KTPasswordDialog.h"
#include "volumes/KTTerminalCredentialPrompt.h"

#include <QApplication>
#include <QGuiApplication>

namespace {

bool hasDisplay()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}

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
    if (hasDisplay())
        return KTPasswordDialog::ask(request);
    if (std::unique_ptr<KTTerminalCredentialPrompt> terminal =
            KTTerminalCredentialPrompt::openControllingTerminal())
        return terminal->askPassword(request);
    return anonymousCredentials(request);
}
