#pragma once

#include "platform/GObjectRef.h"

#include <QString>

#include <gio/gio.h>

#include <chrono>

class CredentialPrompt;
class GuestServers;

// A GMountOperation that answers GIO's questions during a mount through a credential
// prompt. A server that refuses the answers is asked at most a few times, so that a
// wrong password ends in a failed mount rather than a loop. Where the user once chose a
// guest login on the server, the first question is answered that way without asking.
class MountOperation {
public:
    // The server's guest choice is looked up in guests, when given.
    MountOperation(
        CredentialPrompt& prompt, GuestServers* guests = nullptr, QString server = QString());
    ~MountOperation();
    MountOperation(const MountOperation&) = delete;
    MountOperation& operator=(const MountOperation&) = delete;

    GMountOperation* get() const { return m_operation.get(); }

    // How long the prompt has been up so far: the user's time, not the server's.
    std::chrono::steady_clock::duration timeInPrompt() const { return m_timeInPrompt; }

    // Whether the mount ended because the prompt gave no answer (the user cancelled it),
    // or because the server refused every answer.
    bool cancelledAtPrompt() const { return m_cancelledAtPrompt; }
    bool attemptsExhausted() const { return m_attempts > maximumAttempts; }

    // Remembers the server when the user chose a guest login and it mounted. A server
    // remembered so that refuses the guest (a share there that needs a password) leads to
    // a second question, answered by the user.
    void keepGuestChoice(bool mounted) const;

    static constexpr int maximumAttempts = 3;

private:
    static void askPassword(GMountOperation* operation, const char* message,
        const char* defaultUser, const char* defaultDomain, GAskPasswordFlags flags,
        MountOperation* self);
    static void askQuestion(GMountOperation* operation, const char* message,
        const char* const* choices, MountOperation* self);
    bool guestRemembered() const;

    GObjectRef<GMountOperation> m_operation;
    CredentialPrompt& m_prompt;
    GuestServers* m_guests;
    QString m_server;
    int m_attempts = 0;
    bool m_cancelledAtPrompt = false;
    bool m_userChoseGuest = false;
    std::chrono::steady_clock::duration m_timeInPrompt {};
};
