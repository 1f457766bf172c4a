#include "platform/StepTrace.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace StepTrace {

bool enabled()
{
    static const bool on = [] {
        const char* value = std::getenv("KESTROVA_TRACE");
        return value && std::strcmp(value, "1") == 0;
    }();
    return on;
}

void step(const char* name)
{
    if (!enabled())
        return;
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double milliseconds = double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    (void)std::fprintf(
        stderr, "kestrova-trace %ld %.3f %s\n", static_cast<long>(::getpid()), milliseconds, name);
}

}
