#pragma once

#include "AppRequest.h"

#include <optional>

// Hands a request to the running instance of the session over GDBus. GDBus needs no Qt
// application object, so a command that only hands its request over never makes one:
// a QApplication connects to the display and loads its plugins, which costs a command
// more than the handover itself.
namespace BusHandover {

enum class Result {
    Answered, // the instance served the request; outcome says how it went
    NoInstance, // nobody owns the name and D-Bus could not start anybody
    NoBus, // there is no session bus to ask on
};

struct Reply {
    Result result = Result::Answered;
    AppRequestOutcome outcome;
};

// Blocks until the instance has served the request, however long that takes: opening
// waits for shares and for the user to dismiss alerts.
Reply handOver(const AppRequest& request);

// The light front tells the full program it becomes (by exec, in the environment) that
// it has just asked and found no instance, so that the full program need not ask again
// before it takes the name itself.
void noteNoInstanceFound();
// Whether this process was started so; the first call takes the note out of the
// environment, so that no process started later inherits it.
bool noInstanceFoundBefore();

}
