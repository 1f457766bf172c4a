#include "diagnostics/FatalSignalHandler.h"

#include "diagnostics/ReportBuffer.h"
#include "diagnostics/StackTrace.h"
#include "diagnostics/SymbolisingCommand.h"
#include "diagnostics/TerminateHandler.h"
#include "diagnostics/YCExceptionHandler.h"

#include <sys/mman.h>
#include <ucontext.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <ctime>

namespace {

struct FatalSignal {
    int number;
    const char* name;
    const char* reason;
};

const FatalSignal fatalSignals[] = {
    {SIGSEGV, "SIGSEGV", "Invalid memory reference"},
    {SIGBUS, "SIGBUS", "Bus error (bad memory access)"},
    {SIGFPE, "SIGFPE", "Floating-point exception"},
    {SIGILL, "SIGILL", "Illegal instruction"},
    {SIGABRT, "SIGABRT", "Abort signal"},
};
constexpr std::size_t kSignalCount = sizeof fatalSignals / sizeof fatalSignals[0];

// Enough for the unwinder, the report's command line and the handler's own frames.
constexpr std::size_t kSignalStackSize = std::size_t {256} * 1024;
constexpr std::size_t kReportCapacity = std::size_t {256} * 1024;
constexpr std::size_t kReasonCapacity = 128;
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's vfork clears the shadow of the stack from the stack pointer to the
// top of the thread's stack, which from another stack is memory it does not have.
constexpr bool kUsesSignalStack = false;
#else
constexpr bool kUsesSignalStack = true;
#endif
// A report takes at most the command's time limit; a little more is left for the rest.
constexpr int kWaitSteps = (SymbolisingCommand::kTimeoutSeconds + 2) * 100;
const timespec kWaitStep {0, 10L * 1000 * 1000};

std::atomic<YCExceptionHandler*> installedHandler {nullptr};
struct sigaction previousActions[kSignalCount];
// Only the first fault is reported; a thread that faults meanwhile waits for its report.
std::atomic<bool> reportClaimed {false};
std::atomic<bool> reportDone {false};
char reportStorage[kReportCapacity];

std::uintptr_t faultingInstruction(const void* context)
{
    const auto* machine = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return std::uintptr_t(machine->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return std::uintptr_t(machine->uc_mcontext.pc);
#else
    (void)machine;
    return 0;
#endif
}

// Sent by kill(2), raise(3) or abort(3) rather than raised by the processor.
bool wasSent(const siginfo_t& information)
{
    return information.si_code <= 0;
}

void describe(ReportBuffer& reason, const FatalSignal& signal, const siginfo_t& information)
{
    reason.append(signal.reason);
    if (!wasSent(information) && signal.number != SIGABRT) {
        reason.append(" at address ");
        reason.appendHex(reinterpret_cast<std::uintptr_t>(information.si_addr));
    }
    (void)reason.cString();
}

void waitForOtherReport()
{
    for (int step = 0; step < kWaitSteps && !reportDone.load(); ++step)
        (void)nanosleep(&kWaitStep, nullptr);
}

void report(std::size_t index, const siginfo_t& information, const void* context)
{
    YCExceptionHandler* handler = installedHandler.load();
    // std::terminate has reported what led to its abort(3) already.
    if (!handler || (fatalSignals[index].number == SIGABRT && TerminateHandler::hasRun()))
        return;
    if (reportClaimed.exchange(true)) {
        waitForOtherReport();
        return;
    }
    const StackTrace trace = StackTrace::ofFault(faultingInstruction(context));
    char reasonStorage[kReasonCapacity];
    ReportBuffer reason(reasonStorage, sizeof reasonStorage);
    describe(reason, fatalSignals[index], information);
    handler->logFatalSignal(
        fatalSignals[index].name, reasonStorage, trace, reportStorage, sizeof reportStorage);
    reportDone.store(true);
}

void onFatalSignal(int number, siginfo_t* information, void* context)
{
    const int savedErrno = errno;
    std::size_t index = 0;
    while (index < kSignalCount && fatalSignals[index].number != number)
        ++index;
    if (index == kSignalCount)
        return;
    report(index, *information, context);
    // The action before ours takes place when the handler returns: a fault happens again
    // at the same instruction, a sent signal is sent again (it stays pending until then).
    (void)sigaction(number, &previousActions[index], nullptr);
    if (wasSent(*information))
        (void)raise(number);
    errno = savedErrno;
}

bool installSignalStack()
{
    void* stack = mmap(nullptr, kSignalStackSize, PROT_READ | PROT_WRITE,
        MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED)
        return false;
    stack_t signalStack {};
    signalStack.ss_sp = stack;
    signalStack.ss_size = kSignalStackSize;
    return sigaltstack(&signalStack, nullptr) == 0;
}

bool installActions()
{
    StackTrace::prepare();
    if (kUsesSignalStack && !installSignalStack())
        return false;
    struct sigaction action { };
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | (kUsesSignalStack ? SA_ONSTACK : 0);
    // A second fault inside the handler ends the process at once.
    sigemptyset(&action.sa_mask);
    for (const FatalSignal& signal : fatalSignals)
        sigaddset(&action.sa_mask, signal.number);
    for (std::size_t index = 0; index < kSignalCount; ++index)
        (void)sigaction(fatalSignals[index].number, &action, &previousActions[index]);
    return true;
}

}

namespace FatalSignalHandler {

bool install(YCExceptionHandler* handler)
{
    installedHandler.store(handler);
    static const bool installed = installActions();
    return installed;
}

}
