#pragma once

#include "AppRequest.h"

#include <QStringList>

// Gets a request of the command line served: by the running instance of the session
// when there is one (or D-Bus can start one), else by this process, which then takes
// the instance's name for as long as it runs. Without a session bus the process serves
// the request alone. The outcome is reported here, whoever served it: each failure as
// one line on stderr ("TITLE: MESSAGE" for an alert).
//
// A process that served its own request ends as soon as it is idle, unless it owns the
// clipboard: then it runs until another program takes the clipboard.
namespace RequestDelivery {

// Returns the exit status: 0 when the request succeeded, 2 when it failed.
int deliver(const AppRequest& request);

// The same for the command line of open, open-link or copy-path; a command line that
// makes no request gets a usage message and status 1.
int deliverCommand(const char* command, const QStringList& arguments);

}
