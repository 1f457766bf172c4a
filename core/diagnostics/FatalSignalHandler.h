#pragma once

class YCExceptionHandler;

// Reports the signals that end a process for a fault of its own (SIGSEGV, SIGBUS,
// SIGFPE, SIGILL, SIGABRT), with the signal's name as the exception's type and the stack
// of the fault, then lets the action that was set before take place: the default one
// ends the process by the signal, so the desktop's crash tools still see it. The handler
// runs on a stack of its own, so that a stack overflow of the installing thread is
// reported too; it allocates nothing and takes no lock.
namespace FatalSignalHandler {

// Installs it once (false when the signal stack cannot be had); later calls change the
// handler that gets the reports.
bool install(YCExceptionHandler* handler);

}
