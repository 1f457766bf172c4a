#include "cli/OpenLinkCommand.h"

#include "instance/RequestDelivery.h"

int runOpenLinkCommand(const QStringList& arguments)
{
    return RequestDelivery::deliverCommand("open-link", arguments);
}
