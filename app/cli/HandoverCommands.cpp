#include "cli/HandoverCommands.h"

#include "cli/CommandError.h"
#include "cli/HandoverRequest.h"
#include "instance/RequestDelivery.h"

namespace {

int deliverCommand(const char* command, const QStringList& arguments)
{
    const std::optional<HandoverRequest> read =
        HandoverRequests::read(QLatin1String(command), arguments);
    if (!read || !read->request)
        return CommandError::usage(command, read ? read->usageProblem : QString());
    return HandoverRequests::report(RequestDelivery::deliver(*read->request));
}

}

int runOpenCommand(const QStringList& arguments)
{
    return deliverCommand("open", arguments);
}

int runOpenLinkCommand(const QStringList& arguments)
{
    return deliverCommand("open-link", arguments);
}

int runCopyPathCommand(const QStringList& arguments)
{
    return deliverCommand("copy-path", arguments);
}
