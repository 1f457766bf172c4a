#include "diagnostics/ThrowHook.h"

#include "diagnostics/ExceptionDescription.h"
#include "diagnostics/StackTrace.h"
#include "diagnostics/YCExceptionHandler.h"

#include <cxxabi.h>
#include <dlfcn.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

using ThrowFunction = decltype(&__cxxabiv1::__cxa_throw);

std::atomic<YCExceptionHandler*> installedHandler {nullptr};
thread_local bool reporting = false;
thread_local const std::type_info* lastThrownType = nullptr;

ThrowFunction nextThrow()
{
    static const auto next = reinterpret_cast<ThrowFunction>(dlsym(RTLD_NEXT, "__cxa_throw"));
    // Without the runtime's own __cxa_throw no exception could be thrown at all.
    if (!next)
        std::abort();
    return next;
}

void report(void* object, const std::type_info& type, const void* throwerReturn) noexcept
{
    YCExceptionHandler* handler = installedHandler.load();
    if (!handler || reporting)
        return;
    reporting = true;
    const int savedErrno = errno;
    lastThrownType = &type;
    try {
        const StackTrace trace = StackTrace::below(throwerReturn);
        const ExceptionDescription description = ExceptionDescription::ofThrown(type, object);
        (void)handler->shouldLogException(description.type(), description.reason(), trace);
    } catch (...) {
        // A report that cannot be made loses nothing but itself.
    }
    errno = savedErrno;
    reporting = false;
}

}

namespace ThrowHook {

void install(YCExceptionHandler* handler)
{
    // Found now, so that the first throw does not have to ask the dynamic linker.
    (void)nextThrow();
    installedHandler.store(handler);
}

bool sawLastThrowOf(const std::type_info& type)
{
    return lastThrownType && *lastThrownType == type;
}

}

namespace __cxxabiv1 {

extern "C" void __cxa_throw(void* object, std::type_info* type, void (*destructor)(void*))
{
    report(object, *type, __builtin_return_address(0));
    nextThrow()(object, type, destructor);
    // The runtime's __cxa_throw never returns; the pointer's type does not say so.
    __builtin_unreachable();
}

}
