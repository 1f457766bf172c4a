#pragma once

#include "platform/GObjectRef.h"

#include <gio/gio.h>

#include <chrono>

class CredentialPrompt;

// A GMountOperation that answers GIO's questions during a mount through a credential
// prompt. A server that refuses the answers is asked at most a few times, so that a
// wrong password ends in a failed mount rather than a loop.
class MountOperation {
public:
    explicit MountOperation(CredentialPrompt& prompt);
    ~MountOperation();
    MountOperation(const MountOperation&) = delete;
    MountOperation& operator=(const MountOperation&) = delete;

    GMountOperation* get() const { return m_operation.get(); }

    // How long the prompt has been up so far: the user's time, not the server's.
    std::chrono::steady_clock::duration timeInPrompt() const { return m_timeInPrompt; }

    static constexpr int maximumAttempts = 3;

private:
    static void askPassword(GMountOperation* operation, const char* message,
        const char* defaultUser, const char* defaultDomain, GAskPasswordFlags flags,
        MountOperation* self);
    static void askQuestion(GMountOperation* operation, const char* message,
        const char* const* choices, MountOperation* self);

    GObjectRef<GMountOperation> m_operation;
    CredentialPrompt& m_prompt;
    int m_attempts = 0;
    std::chrono::steady_clock::duration m_timeInPrompt {};
};
