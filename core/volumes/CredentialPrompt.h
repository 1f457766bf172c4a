#pragma once

#include <QString>

#include <optional>

// How long the desktop keyring keeps a password given for a mount: not at all, until the
// user logs out, or for ever.
enum class PasswordSave { Never, ForSession, Permanently };

// What a server asks before it lets a share be mounted.
struct CredentialRequest {
    QString message;
    QString defaultUser;
    QString defaultDomain;
    bool needsUser = false;
    bool needsDomain = false;
    bool needsPassword = false;
    bool anonymousAllowed = false;
    // Whether the password may be kept in the desktop keyring.
    bool savingSupported = false;
    // 1 for the first question of a mount, 2 when the first answer was refused, ...
    int attempt = 1;
};

// The answer: a guest login, or a user with domain and password.
struct Credentials {
    bool anonymous = false;
    QString user;
    QString domain;
    QString password;
    // Heeded only where the request allowed saving.
    PasswordSave save = PasswordSave::Never;
    // Made up without asking anyone, so not the user's choice to remember.
    bool automatic = false;
};

// Asks the user for credentials. None means the user cancelled, which ends the mount.
class CredentialPrompt {
public:
    virtual ~CredentialPrompt() = default;
    virtual std::optional<Credentials> askPassword(const CredentialRequest& request) = 0;
};
