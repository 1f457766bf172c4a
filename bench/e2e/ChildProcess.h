#pragma once

#include <QStringList>

#include <sys/types.h>

// Programs started as a launcher starts them (posix_spawn, the process's environment,
// output thrown away), so that starting one costs what it costs a desktop.
namespace ChildProcess {

// Starts the program (searched in PATH) with the arguments and, on top of this
// process's environment, the NAME=VALUE entries given; 0 when it could not start.
pid_t spawn(const QStringList& command, const QStringList& extraEnvironment = {});

// Waits for a child to end and returns its exit status (-1 when a signal ended it).
int waitForExit(pid_t pid);

// Ends a process that may not be a child of this one (the launched application is
// re-parented by GIO's double fork): SIGTERM, then waits until it is gone or a zombie.
void terminate(pid_t pid);

}
