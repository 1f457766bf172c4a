#include "diagnostics/TerminateHandler.h"

#include "diagnostics/ExceptionDescription.h"
#include "diagnostics/StackTrace.h"
#include "diagnostics/ThrowHook.h"
#include "diagnostics/YCExceptionHandler.h"

#include <atomic>
#include <cstdlib>
#include <exception>

namespace {

std::atomic<YCExceptionHandler*> installedHandler {nullptr};
std::atomic<bool> terminateRan {false};
std::terminate_handler previousHandler = nullptr;

void reportTerminate(YCExceptionHandler& handler, const void* returnAddress)
{
    const StackTrace trace = StackTrace::below(returnAddress);
    const std::type_info* current = ExceptionDescription::currentType();
    if (!current) {
        (void)handler.shouldLogException(
            "std::terminate", "called without an active exception", trace);
    } else if (!ThrowHook::sawLastThrowOf(*current)) {
        const ExceptionDescription description = ExceptionDescription::ofCurrent();
        (void)handler.shouldLogException(description.type(), description.reason(), trace);
    }
}

[[noreturn]] void onTerminate()
{
    // A second std::terminate (from the handler before us, say) goes straight on.
    if (!terminateRan.exchange(true)) {
        if (YCExceptionHandler* handler = installedHandler.load()) {
            try {
                reportTerminate(*handler, __builtin_return_address(0));
            } catch (...) {
            }
        }
    }
    if (previousHandler)
        previousHandler();
    std::abort();
}

}

namespace TerminateHandler {

void install(YCExceptionHandler* handler)
{
    installedHandler.store(handler);
    static const bool installed = [] {
        previousHandler = std::set_terminate(onTerminate);
        return true;
    }();
    (void)installed;
}

bool hasRun()
{
    return terminateRan.load();
}

}
