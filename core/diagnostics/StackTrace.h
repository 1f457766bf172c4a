#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The addresses of the calls on a stack, innermost first, as the symbolising command
// wants them. A return address points after its call, into the next line at times, so
// each is taken one byte back, inside the call itself; a faulting instruction's own
// address is kept as it is. Capturing allocates nothing and takes no lock once
// prepare() has run, so the fatal-signal handler can capture too.
class StackTrace {
public:
    static constexpr std::size_t kMaxFrames = 64;

    // Loads the unwinder that backtrace(3) loads on its first use, which a signal
    // handler must not be the one to do. Call it once at start-up.
    static void prepare();

    // The stack of the function that returns to returnAddress, from its own call on
    // (the frames of the capturing code above it are left out).
    static StackTrace below(const void* returnAddress);
    // The stack of a fault in a signal handler: the faulting instruction (0 when
    // unknown), then the calls that led to it.
    static StackTrace ofFault(std::uintptr_t faultingInstruction);

    std::size_t size() const { return m_count; }
    std::uintptr_t operator[](std::size_t index) const { return m_addresses[index]; }

private:
    void add(std::uintptr_t address);
    void addCallsFrom(void* const* frames, std::size_t count);

    std::array<std::uintptr_t, kMaxFrames> m_addresses {};
    std::size_t m_count = 0;
};
