#include "instance/RequestDelivery.h"

#include "ProcessApplication.h"
#include "cli/CliCommand.h"
#include "cli/CommandArguments.h"
#include "cli/HandoverRequest.h"
#include "instance/BusHandover.h"
#include "instance/InstanceRuntime.h"

#include <QDBusConnection>

#include <chrono>

namespace {

// Serves the request in this process, as the instance of the session when a bus is
// given. None when another process took the name first.
std::optional<int> serveHere(const AppRequest& request, QDBusConnection* bus)
{
    InstanceRuntime runtime {std::chrono::milliseconds::zero()};
    if (bus && !runtime.instance().registerOnBus(*bus))
        return std::nullopt;
    int status = ExitFailure;
    runtime.instance().submit(request, [&status](const AppRequestOutcome& outcome) {
        status = HandoverRequests::report(outcome);
    });
    runtime.run();
    return status;
}

}

namespace RequestDelivery {

int deliver(const AppRequest& request)
{
    // Two rounds: another command may take the name between our call and our claim.
    for (int round = 0; round < 2; ++round) {
        const BusHandover::Reply handover = BusHandover::handOver(request);
        if (handover.result == BusHandover::Result::Answered)
            return HandoverRequests::report(handover.outcome);
        ProcessApplication::ensure();
        if (handover.result == BusHandover::Result::NoBus)
            break;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            break;
        if (const std::optional<int> status = serveHere(request, &bus))
            return *status;
    }
    ProcessApplication::ensure();
    return *serveHere(request, nullptr);
}

int deliverCommand(const char* command, const QStringList& arguments)
{
    const std::optional<HandoverRequest> read =
        HandoverRequests::read(QLatin1String(command), arguments);
    if (!read || !read->request)
        return CommandArguments::usageError(command, read ? read->usageProblem : QString());
    return deliver(*read->request);
}

}
