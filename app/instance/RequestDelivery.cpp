#include "instance/RequestDelivery.h"

#include "ProcessApplication.h"
#include "instance/BusHandover.h"
#include "instance/InstanceRuntime.h"
#include "platform/StepTrace.h"
#include "volumes/KTMounter.h"

#include <QDBusConnection>

#include <chrono>

namespace {

// Serves the request in this process, as the instance of the session when a bus is
// given. None when another process took the name first.
std::optional<AppRequestOutcome> serveHere(const AppRequest& request, QDBusConnection* bus)
{
    InstanceRuntime runtime {std::chrono::milliseconds::zero()};
    StepTrace::step("app: runtime made");
    if (bus && !runtime.instance().registerOnBus(*bus))
        return std::nullopt;
    StepTrace::step("app: bus name owned");
    AppRequestOutcome served;
    runtime.instance().submit(
        request, [&served](const AppRequestOutcome& outcome) { served = outcome; });
    runtime.run();
    return served;
}

}

namespace RequestDelivery {

AppRequestOutcome deliver(const AppRequest& request)
{
    // Two rounds: another command may take the name between our call and our claim. The
    // first call is spared where the front has just made it and found no instance.
    for (int round = 0; round < 2; ++round) {
        const BusHandover::Reply handover = round == 0 && BusHandover::noInstanceFoundBefore()
            ? BusHandover::Reply {BusHandover::Result::NoInstance, {}}
            : BusHandover::handOver(request);
        if (handover.result == BusHandover::Result::Answered)
            return handover.outcome;
        StepTrace::step("app: handover refused");
        // The mount table starts reading on a thread of its own while the application
        // connects to the display: the open of a shortcut looks its share up there.
        if (request.kind == AppRequest::Kind::Open)
            (void)KTMounter::defaultKTMounter();
        ProcessApplication::ensure();
        StepTrace::step("app: application made");
        if (handover.result == BusHandover::Result::NoBus)
            break;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            break;
        if (std::optional<AppRequestOutcome> outcome = serveHere(request, &bus))
            return *std::move(outcome);
    }
    ProcessApplication::ensure();
    return *serveHere(request, nullptr);
}

}
