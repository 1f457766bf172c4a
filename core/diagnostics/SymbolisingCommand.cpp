#include "diagnostics/SymbolisingCommand.h"

#include "diagnostics/ReportBuffer.h"
#include "diagnostics/StackTrace.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>

namespace {

char shellName[] = "sh";
char commandOption[] = "-c";
// The system's own tools, whatever the program's PATH says; and none of the user's
// DEBUGINFOD_URLS, which would have eu-addr2line send a server the build ids of every
// library of the process and wait for its answers.
char searchPath[] = "PATH=/usr/bin:/bin";
char* commandEnvironment[] = {searchPath, nullptr};

struct ChildSetup {
    char* commandLine;
    int output;
    int status;
};

// Up to execve the child shares the parent's memory and sees its signal handlers: it
// takes the default actions and unblocks signals only just before the exec.
void resetSignals()
{
    struct sigaction action { };
    for (int signal = 1; signal < NSIG; ++signal) {
        if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN
            && action.sa_handler != SIG_DFL) {
            action.sa_handler = SIG_DFL;
            action.sa_flags = 0;
            (void)sigaction(signal, &action, nullptr);
        }
    }
    sigset_t none;
    sigemptyset(&none);
    (void)sigprocmask(SIG_SETMASK, &none, nullptr);
}

void connectStandardFiles(int output)
{
    if (output == STDOUT_FILENO)
        (void)fcntl(output, F_SETFD, 0);
    else
        (void)dup2(output, STDOUT_FILENO);
    // eu-addr2line reads addresses from its input when it has none on the command line.
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing > STDIN_FILENO) {
        (void)dup2(nothing, STDIN_FILENO);
        (void)close(nothing);
    }
}

[[noreturn]] void runInChild(const ChildSetup& setup)
{
    // A group of its own, so that a command that hangs is killed with all of its pipeline.
    (void)setpgid(0, 0);
    connectStandardFiles(setup.output);
    resetSignals();
    char* arguments[] = {shellName, commandOption, setup.commandLine, nullptr};
    execve("/bin/sh", arguments, commandEnvironment);
    const int error = errno;
    (void)write(setup.status, &error, sizeof error);
    _exit(127);
}

long millisecondsLeft(const timespec& deadline)
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (deadline.tv_sec - now.tv_sec) * 1000 + (deadline.tv_nsec - now.tv_nsec) / 1000000;
}

void closeDescriptor(int& descriptor)
{
    if (descriptor >= 0)
        (void)close(descriptor);
    descriptor = -1;
}

}

SymbolisingCommand::SymbolisingCommand(pid_t process, const StackTrace& trace)
{
    ReportBuffer line(m_commandLine, sizeof m_commandLine);
    line.append("eu-addr2line --pid=");
    line.appendDecimal(std::uint64_t(process));
    line.append(" -f -C");
    for (std::size_t index = 0; index < trace.size(); ++index) {
        line.append(" ");
        line.appendHex(trace[index]);
    }
    line.append(" | c++filt | cat -n");
    (void)line.cString();
}

SymbolisingCommand::~SymbolisingCommand()
{
    closeDescriptor(m_output);
    if (m_child > 0) {
        stopCommand();
        waitForCommand();
    }
}

bool SymbolisingCommand::start()
{
    int output[2];
    int status[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return false;
    if (pipe2(status, O_CLOEXEC) != 0) {
        closeDescriptor(output[0]);
        closeDescriptor(output[1]);
        return false;
    }
    const ChildSetup setup {m_commandLine, output[1], status[1]};
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    // Not fork: glibc's fork runs the handlers of pthread_atfork, which take malloc's
    // locks, and a fault inside malloc holds them already. The child only execs.
    const pid_t child = vfork(); // NOLINT(clang-analyzer-security.insecureAPI.vfork)
    if (child == 0)
        runInChild(setup); // NOLINT(clang-analyzer-unix.Vfork)
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    closeDescriptor(output[1]);
    closeDescriptor(status[1]);
    m_output = output[0];
    m_child = child;
    int childError = 0;
    const ssize_t told = child > 0 ? read(status[0], &childError, sizeof childError) : -1;
    closeDescriptor(status[0]);
    if (child > 0 && told == 0)
        return true;
    closeDescriptor(m_output);
    if (child > 0)
        waitForCommand();
    return false;
}

void SymbolisingCommand::copyOutputTo(ReportBuffer& report)
{
    timespec deadline {};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += kTimeoutSeconds;
    char block[kBlockSize];
    while (m_output >= 0) {
        const long left = millisecondsLeft(deadline);
        pollfd readable {m_output, POLLIN, 0};
        const int ready = left > 0 ? poll(&readable, 1, int(left)) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            stopCommand();
            break;
        }
        const ssize_t count = read(m_output, block, sizeof block);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        report.append(block, std::size_t(count));
    }
    closeDescriptor(m_output);
    waitForCommand();
}

void SymbolisingCommand::stopCommand()
{
    if (m_child > 0)
        (void)kill(-m_child, SIGKILL);
}

void SymbolisingCommand::waitForCommand()
{
    int status = 0;
    while (m_child > 0 && waitpid(m_child, &status, 0) < 0 && errno == EINTR) { }
    m_child = -1;
}
