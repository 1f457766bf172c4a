#include "diagnostics/StackTrace.h"

#include <execinfo.h>

namespace {

// Room for the frames of the capturing code and the signal trampoline above the stack
// that is kept.
constexpr std::size_t kCapturedFrames = StackTrace::kMaxFrames + 8;

std::size_t indexOf(void* const* frames, std::size_t count, std::uintptr_t address)
{
    for (std::size_t index = 0; index < count; ++index) {
        if (reinterpret_cast<std::uintptr_t>(frames[index]) == address)
            return index;
    }
    return count;
}

}

void StackTrace::prepare()
{
    void* frames[1];
    (void)backtrace(frames, 1);
}

StackTrace StackTrace::below(const void* returnAddress)
{
    void* frames[kCapturedFrames];
    const auto count = std::size_t(backtrace(frames, int(kCapturedFrames)));
    const std::size_t first =
        indexOf(frames, count, reinterpret_cast<std::uintptr_t>(returnAddress));
    StackTrace trace;
    // A caller that the unwinder did not see (a tail call) keeps the whole stack.
    if (first == count)
        trace.addCallsFrom(frames, count);
    else
        trace.addCallsFrom(frames + first, count - first);
    return trace;
}

StackTrace StackTrace::ofFault(std::uintptr_t faultingInstruction)
{
    void* frames[kCapturedFrames];
    const auto count = std::size_t(backtrace(frames, int(kCapturedFrames)));
    StackTrace trace;
    if (faultingInstruction != 0)
        trace.add(faultingInstruction);
    const std::size_t fault = indexOf(frames, count, faultingInstruction);
    if (fault == count)
        trace.addCallsFrom(frames, count);
    else
        trace.addCallsFrom(frames + fault + 1, count - fault - 1);
    return trace;
}

void StackTrace::add(std::uintptr_t address)
{
    if (m_count < kMaxFrames)
        m_addresses[m_count++] = address;
}

void StackTrace::addCallsFrom(void* const* frames, std::size_t count)
{
    for (std::size_t index = 0; index < count; ++index) {
        const auto address = reinterpret_cast<std::uintptr_t>(frames[index]);
        if (address != 0)
            add(address - 1);
    }
}
