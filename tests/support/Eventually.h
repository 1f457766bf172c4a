#pragma once

#include <chrono>
#include <functional>

// Asks the condition again and again, sleeping in between, until it holds or the time
// limit has passed; whether it held. For what another process or thread brings about in
// its own time.
bool eventually(const std::function<bool()>& condition,
    std::chrono::milliseconds limit = std::chrono::seconds(5));
