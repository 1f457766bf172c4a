#pragma once

#include <QDeadlineTimer>

#include <chrono>
#include <functional>
#include <thread>

// Asks the condition again and again, sleeping in between, until it holds or the time limit
// has passed; whether it held. For what another process or thread brings about in its own time.
inline bool eventually(const std::function<bool()>& condition,
    std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    for (const QDeadlineTimer deadline(limit); !condition();) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
