#include "cli/ServiceCommand.h"

#include "cli/CliCommand.h"
#include "cli/CommandError.h"
#include "instance/AppBusProtocol.h"
#include "instance/InstanceRuntime.h"
#include "volumes/KTMounter.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QTimer>

int runServiceCommand(const QStringList& arguments)
{
    if (!arguments.isEmpty())
        return CommandError::usage("service", QStringLiteral("takes no arguments"));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        CommandError::print(
            "service", QStringLiteral("no session bus: ") + bus.lastError().message());
        return ExitFailure;
    }
    InstanceRuntime runtime {KestrovaInstance::serviceIdleTime()};
    if (!runtime.instance().registerOnBus(bus)) {
        CommandError::print("service",
            AppBusProtocol::serviceName + QStringLiteral(" is taken: another instance runs"));
        return ExitFailure;
    }
    // An open looks its share up first, and the mount table's first reading waits for
    // GIO's volume monitors: the instance reads it while it waits for its first request.
    QTimer::singleShot(0, [] { (void)KTMounter::defaultKTMounter(); });
    runtime.run();
    return ExitSuccess;
}
