#include "ChildProcess.h"

#include <QByteArray>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <vector>

extern char** environ;

namespace ChildProcess {
namespace {

constexpr int terminateWaitSteps = 500;

std::vector<char*> pointers(std::vector<QByteArray>& strings)
{
    std::vector<char*> result;
    result.reserve(strings.size() + 1);
    for (QByteArray& text : strings)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

std::vector<QByteArray> environmentWith(const QStringList& extraEnvironment)
{
    std::vector<QByteArray> entries;
    for (char** entry = environ; *entry; ++entry)
        entries.emplace_back(*entry);
    for (const QString& extra : extraEnvironment)
        entries.push_back(extra.toLocal8Bit());
    return entries;
}

// Gone, or a zombie that nobody has reaped yet (the namespace's first process reaps
// late): either way it runs no more.
bool hasEnded(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return true;
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = status.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    return nameEnd >= 0 && line.size() > nameEnd + 2 && line.at(nameEnd + 2) == 'Z';
}

}

pid_t spawn(const QStringList& command, const QStringList& extraEnvironment)
{
    std::vector<QByteArray> arguments;
    for (const QString& argument : command)
        arguments.push_back(argument.toLocal8Bit());
    std::vector<QByteArray> environment = environmentWith(extraEnvironment);
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    // With KESTROVA_TRACE=1 the programs' step timestamps are what the run is for.
    if (!qEnvironmentVariableIsSet("KESTROVA_TRACE"))
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? 0 : pid;
}

int waitForExit(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void terminate(pid_t pid)
{
    if (pid <= 1 || ::kill(pid, SIGTERM) != 0)
        return;
    for (int step = 0; step < terminateWaitSteps && !hasEnded(pid); ++step)
        QThread::msleep(10);
}

}
