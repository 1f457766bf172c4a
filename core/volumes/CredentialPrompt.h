#pragma once

#include <QString>

#include <optional>

// What a server asks before it lets a share be mounted.
struct CredentialRequest {
    QString message;
    QString defaultUser;
    QString defaultDomain;
    bool needsUser = false;
    bool needsDomain = false;
    bool needsPassword = false;
    bool anonymousAllowed = false;
    // 1 for the first question of a mount, 2 when the first answer was refused, ...
    int attempt = 1;
};

// The answer: a guest login, or a user with domain and password.
struct Credentials {
    bool anonymous = false;
    QString user;
    QString domain;
    QString password;
};

// Asks the user for credentials. None means the user cancelled, which ends the mount.
class CredentialPrompt {
public:
    virtual ~CredentialPrompt() = default;
    virtual std::optional<Credentials> askPassword(const CredentialRequest& request) = 0;
};
