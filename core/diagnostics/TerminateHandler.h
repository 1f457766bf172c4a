#pragma once

class YCExceptionHandler;

// Reports std::terminate when the throw hook has not already reported its cause (an
// exception not thrown through __cxa_throw, or no exception at all), then lets the
// handler that was set before it end the process, as it would have without the log.
namespace TerminateHandler {

// Installs it once; later calls change the handler that gets the reports.
void install(YCExceptionHandler* handler);

// Whether std::terminate has run: the SIGABRT that follows it needs no report of its own.
bool hasRun();

}
