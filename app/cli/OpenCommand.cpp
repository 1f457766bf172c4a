#include "cli/OpenCommand.h"

#include "instance/RequestDelivery.h"

int runOpenCommand(const QStringList& arguments)
{
    return RequestDelivery::deliverCommand("open", arguments);
}
