#pragma once

#include "AppRequest.h"

// Gets a request of the command line served: by the running instance of the session
// when there is one (or D-Bus can start one), else by this process, which then takes
// the instance's name for as long as it runs. Without a session bus the process serves
// the request alone. The outcome comes back whoever served it.
//
// A process that served its own request ends as soon as it is idle, unless it owns the
// clipboard: then it runs until another program takes the clipboard.
namespace RequestDelivery {

AppRequestOutcome deliver(const AppRequest& request);

}
