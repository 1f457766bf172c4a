#include "support/Eventually.h"

#include <QDeadlineTimer>

#include <thread>

namespace {

constexpr auto pollInterval = std::chrono::milliseconds(20);

}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(pollInterval);
    }
    return true;
}
