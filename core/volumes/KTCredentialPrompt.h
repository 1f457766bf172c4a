#pragma once

#include <QString>

#include <optional>

// What a server asks before it lets a share be mounted.
struct KTCredentialRequest {
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
struct KTCredentials {
    bool anonymous = false;
    QString user;
    QString domain;
    QString password;
};

// Asks the user for credentials. None means the user cancelled, which ends the mount.
class KTCredentialPrompt {
public:
    virtual ~KTCredentialPrompt() = default;
    virtual std::optional<KTCredentials> askPassword(const KTCredentialRequest& request) = 0;
};
