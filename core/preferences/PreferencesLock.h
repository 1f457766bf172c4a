#pragma once

#include "platform/FileDescriptor.h"

#include <QString>

#include <chrono>
#include <optional>

// An exclusive advisory lock (flock) on a lock file beside a domain file, held for as
// long as the object lives. The kernel drops it when its holder dies, even by SIGKILL,
// so a crashed writer never blocks the others.
class PreferencesLock {
public:
    // Waiting longer than this means a writer hangs; the caller gives up and keeps its
    // changes instead of hanging with it.
    static constexpr std::chrono::milliseconds defaultTimeout {10000};

    // Creates the lock file when needed and waits up to the timeout for the lock.
    explicit PreferencesLock(
        const QString& lockFile, std::chrono::milliseconds timeout = defaultTimeout);
    PreferencesLock(const PreferencesLock&) = delete;
    PreferencesLock& operator=(const PreferencesLock&) = delete;

    bool isLocked() const { return !m_failure; }
    // Why the lock could not be taken.
    const std::optional<QString>& failure() const { return m_failure; }

private:
    // Closing the descriptor releases the lock.
    FileDescriptor m_lockFile;
    std::optional<QString> m_failure;
};
