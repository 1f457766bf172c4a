#include "volumes/MountOperation.h"

#include "platform/SystemLog.h"
#include "volumes/CredentialPrompt.h"

namespace {

QString textOf(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

void answer(GMountOperation* operation, const Credentials& credentials)
{
    if (credentials.anonymous) {
        g_mount_operation_set_anonymous(operation, TRUE);
    } else {
        g_mount_operation_set_anonymous(operation, FALSE);
        g_mount_operation_set_username(operation, credentials.user.toUtf8().constData());
        g_mount_operation_set_domain(operation, credentials.domain.toUtf8().constData());
        g_mount_operation_set_password(operation, credentials.password.toUtf8().constData());
    }
    g_mount_operation_set_password_save(operation, G_PASSWORD_SAVE_NEVER);
    g_mount_operation_reply(operation, G_MOUNT_OPERATION_HANDLED);
}

}

MountOperation::MountOperation(CredentialPrompt& prompt)
    : m_operation(GObjectRef<GMountOperation>::adopt(g_mount_operation_new()))
    , m_prompt(prompt)
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
    CredentialRequest request;
    request.message = textOf(message);
    request.defaultUser = textOf(defaultUser);
    request.defaultDomain = textOf(defaultDomain);
    request.needsUser = flags & G_ASK_PASSWORD_NEED_USERNAME;
    request.needsDomain = flags & G_ASK_PASSWORD_NEED_DOMAIN;
    request.needsPassword = flags & G_ASK_PASSWORD_NEED_PASSWORD;
    request.anonymousAllowed = flags & G_ASK_PASSWORD_ANONYMOUS_SUPPORTED;
    request.attempt = self->m_attempts;
    const auto asked = std::chrono::steady_clock::now();
    const std::optional<Credentials> credentials = self->m_prompt.askPassword(request);
    self->m_timeInPrompt += std::chrono::steady_clock::now() - asked;
    if (!credentials) {
        g_mount_operation_reply(operation, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    answer(operation, *credentials);
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
