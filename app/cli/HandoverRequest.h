#pragma once

#include "AppRequest.h"

#include <QString>
#include <QStringList>

#include <optional>

// The commands that hand their request to the running instance of the session: open,
// open-link and copy-path. Both the light `kestrova` front and the full program read
// their requests here, so that both understand a command line alike.
struct HandoverRequest {
    std::optional<AppRequest> request;
    QString usageProblem; // why there is no request
};

namespace HandoverRequests {

// The request of the command line; none when the command is not one of the three.
std::optional<HandoverRequest> read(const QString& command, const QStringList& arguments);

// Prints each failure of the outcome as one line on stderr ("TITLE: MESSAGE" for an
// alert) and returns the exit status: 0 when the request succeeded, 2 when it failed.
int report(const AppRequestOutcome& outcome);

}
