#include "cli/ServiceCommand.h"

#include "cli/CliCommand.h"
#include "cli/CommandArguments.h"
#include "instance/AppBusProtocol.h"
#include "instance/InstanceRuntime.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QTextStream>

int runServiceCommand(const QStringList& arguments)
{
    if (!arguments.isEmpty())
        return CommandArguments::usageError("service", QStringLiteral("takes no arguments"));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QTextStream(stderr) << "kestrova: service: no session bus: " << bus.lastError().message()
                            << '\n';
        return ExitFailure;
    }
    InstanceRuntime runtime {KestrovaInstance::serviceIdleTime()};
    if (!runtime.instance().registerOnBus(bus)) {
        QTextStream(stderr) << "kestrova: service: " << AppBusProtocol::serviceName
                            << " is taken: another instance runs\n";
        return ExitFailure;
    }
    runtime.run();
    return ExitSuccess;
}
