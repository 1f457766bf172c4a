#include "volumes/MountOperation.h"

#include "platform/SystemLog.h"
#include "volumes/CredentialPrompt.h"
#include "volumes/GuestServers.h"

namespace {

QString textOf(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

GPasswordSave gioSave(PasswordSave save)
{
    switch (save) {
    case PasswordSave::ForSession:
        return G_PASSWORD_SAVE_FOR_SESSION;
    case PasswordSave::Permanently:
        return G_PASSWORD_SAVE_PERMANENTLY;
    case PasswordSave::Never:
        break;
    }
    return G_PASSWORD_SAVE_NEVER;
}

CredentialRequest requestOf(const char* message, const char* defaultUser, const char* defaultDomain,
    GAskPasswordFlags flags, int attempt)
{
    CredentialRequest request;
    request.message = textOf(message);
    request.defaultUser = textOf(defaultUser);
    request.defaultDomain = textOf(defaultDomain);
    request.needsUser = flags & G_ASK_PASSWORD_NEED_USERNAME;
    request.needsDomain = flags & G_ASK_PASSWORD_NEED_DOMAIN;
    request.needsPassword = flags & G_ASK_PASSWORD_NEED_PASSWORD;
    request.anonymousAllowed = flags & G_ASK_PASSWORD_ANONYMOUS_SUPPORTED;
    request.savingSupported = flags & G_ASK_PASSWORD_SAVING_SUPPORTED;
    request.attempt = attempt;
    return request;
}

// A password to keep is kept by GVfs itself, in the desktop keyring (the Secret Service).
void answer(GMountOperation* operation, const Credentials& credentials, bool savingSupported)
{
    if (credentials.anonymous) {
        g_mount_operation_set_anonymous(operation, TRUE);
    } else {
        g_mount_operation_set_anonymous(operation, FALSE);
        g_mount_operation_set_username(operation, credentials.user.toUtf8().constData());
        g_mount_operation_set_domain(operation, credentials.domain.toUtf8().constData());
        g_mount_operation_set_password(operation, credentials.password.toUtf8().constData());
    }
    const bool keep = savingSupported && !credentials.anonymous;
    g_mount_operation_set_password_save(
        operation, keep ? gioSave(credentials.save) : G_PASSWORD_SAVE_NEVER);
    g_mount_operation_reply(operation, G_MOUNT_OPERATION_HANDLED);
}

Credentials guestLogin()
{
    Credentials credentials;
    credentials.anonymous = true;
    return credentials;
}

}

MountOperation::MountOperation(CredentialPrompt& prompt, GuestServers* guests, QString server)
    : m_operation(GObjectRef<GMountOperation>::adopt(g_mount_operation_new()))
    , m_prompt(prompt)
    , m_guests(guests)
    , m_server(std::move(server))
{
    g_signal_connect(m_operation.get(), "ask-password", G_CALLBACK(askPassword), this);
    g_signal_connect(m_operation.get(), "ask-question", G_CALLBACK(askQuestion), this);
}

MountOperation::~MountOperation()
{
    g_signal_handlers_disconnect_by_data(m_operation.get(), this);
}

void MountOperation::askPassword(GMountOperation* operation, const char* message,
    const char* defaultUser, const char* defaultDomain, GAskPasswordFlags flags,
    MountOperation* self)
{
    if (++self->m_attempts > maximumAttempts) {
        g_mount_operation_reply(operation, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    const CredentialRequest request =
        requestOf(message, defaultUser, defaultDomain, flags, self->m_attempts);
    if (request.anonymousAllowed && request.attempt == 1 && self->guestRemembered()) {
        answer(operation, guestLogin(), false);
        return;
    }
    const auto asked = std::chrono::steady_clock::now();
    const std::optional<Credentials> credentials = self->m_prompt.askPassword(request);
    self->m_timeInPrompt += std::chrono::steady_clock::now() - asked;
    if (!credentials) {
        self->m_cancelledAtPrompt = true;
        g_mount_operation_reply(operation, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    self->m_userChoseGuest = credentials->anonymous && !credentials->automatic;
    answer(operation, *credentials, request.savingSupported);
}

bool MountOperation::guestRemembered() const
{
    return m_guests && m_guests->contains(m_server);
}

void MountOperation::keepGuestChoice(bool mounted) const
{
    if (m_guests && m_userChoseGuest && mounted)
        m_guests->remember(m_server);
}

// Questions (which host key to trust, which of several choices to take) come from
// servers Kestrova does not mount; declining is the safe answer.
void MountOperation::askQuestion(
    GMountOperation* operation, const char* message, const char* const*, MountOperation*)
{
    SystemLog::write(
        QStringLiteral("Mounter: declined a question of the server: ") + textOf(message));
    g_mount_operation_reply(operation, G_MOUNT_OPERATION_ABORTED);
}
