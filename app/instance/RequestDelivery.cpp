#include "instance/RequestDelivery.h"

#include "cli/CliCommand.h"
#include "instance/AppBusProtocol.h"
#include "instance/InstanceRuntime.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QTextStream>

#include <chrono>
#include <climits>

namespace {

// Opening waits up to 15 s for a share and then for the user to dismiss any alert;
// nothing bounds how long the user takes, so neither does the call.
constexpr int handoverTimeoutMilliseconds = INT_MAX;

enum class HandoverResult { Answered, NoInstance };

struct Handover {
    HandoverResult result = HandoverResult::Answered;
    AppRequestOutcome outcome;
};

bool isMissingInstance(const QString& errorName)
{
    static const QString nameHasNoOwner =
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");
    static const QString spawnErrors = QStringLiteral("org.freedesktop.DBus.Error.Spawn.");
    return errorName == QDBusError::errorString(QDBusError::ServiceUnknown)
        || errorName == nameHasNoOwner || errorName.startsWith(spawnErrors);
}

AppRequestOutcome failedHandover(const QDBusMessage& reply)
{
    const QString errorName = reply.errorName();
    if (errorName == AppBusProtocol::failureError)
        return {reply.errorMessage().split(QLatin1Char('\n'))};
    if (errorName == QDBusError::errorString(QDBusError::InvalidArgs))
        return {{reply.errorMessage()}};
    return {{QStringLiteral("kestrova: the running instance gave no answer (%1: %2)")
                 .arg(errorName, reply.errorMessage())}};
}

Handover handOver(QDBusConnection& bus, const AppRequest& request)
{
    const QDBusMessage reply =
        bus.call(AppBusProtocol::methodCall(request), QDBus::Block, handoverTimeoutMilliseconds);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return {};
    if (isMissingInstance(reply.errorName()))
        return {HandoverResult::NoInstance, {}};
    return {HandoverResult::Answered, failedHandover(reply)};
}

int report(const AppRequestOutcome& outcome)
{
    QTextStream errors(stderr);
    for (const QString& line : outcome.failures)
        errors << line << '\n';
    return outcome.succeeded() ? ExitSuccess : ExitFailure;
}

// Serves the request in this process, as the instance of the session when a bus is
// given. None when another process took the name first.
std::optional<int> serveHere(const AppRequest& request, QDBusConnection* bus)
{
    InstanceRuntime runtime {std::chrono::milliseconds::zero()};
    if (bus && !runtime.instance().registerOnBus(*bus))
        return std::nullopt;
    int status = ExitFailure;
    runtime.instance().submit(
        request, [&status](const AppRequestOutcome& outcome) { status = report(outcome); });
    runtime.run();
    return status;
}

}

namespace RequestDelivery {

int deliver(const AppRequest& request)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return *serveHere(request, nullptr);
    // Two rounds: another command may take the name between our call and our claim.
    for (int round = 0; round < 2; ++round) {
        const Handover handover = handOver(bus, request);
        if (handover.result == HandoverResult::Answered)
            return report(handover.outcome);
        if (const std::optional<int> status = serveHere(request, &bus))
            return *status;
    }
    return *serveHere(request, nullptr);
}

}
