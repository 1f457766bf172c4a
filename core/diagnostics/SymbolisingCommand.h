#pragma once

#include <sys/types.h>

#include <cstddef>

class ReportBuffer;
class StackTrace;

// The command that names the function, file and line of each address of a trace:
//     eu-addr2line --pid=PID -f -C ADDRESSES | c++filt | cat -n
// run by /bin/sh with its output read through a pipe. Its command line holds nothing
// but the process id and the trace's own hexadecimal addresses. Building it, running it
// and reading it allocate nothing and take no lock (vfork, execve, pipes, poll), so
// that the fatal-signal handler runs it too.
class SymbolisingCommand {
public:
    SymbolisingCommand(pid_t process, const StackTrace& trace);
    ~SymbolisingCommand();
    SymbolisingCommand(const SymbolisingCommand&) = delete;
    SymbolisingCommand& operator=(const SymbolisingCommand&) = delete;

    const char* commandLine() const { return m_commandLine; }

    // False when the command cannot be started.
    [[nodiscard]] bool start();
    // Copies what the command writes, in blocks of at most 512 bytes, until it ends or
    // kTimeoutSeconds pass (then it is killed), and waits for it.
    void copyOutputTo(ReportBuffer& report);

    static constexpr int kTimeoutSeconds = 20;

private:
    static constexpr std::size_t kBlockSize = 512;
    static constexpr std::size_t kCommandLineSize = 4096;

    void stopCommand();
    void waitForCommand();

    char m_commandLine[kCommandLineSize] {};
    pid_t m_child = -1;
    int m_output = -1;
};
