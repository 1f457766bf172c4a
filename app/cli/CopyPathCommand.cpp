#include "cli/CopyPathCommand.h"

#include "instance/RequestDelivery.h"

int runCopyPathCommand(const QStringList& arguments)
{
    return RequestDelivery::deliverCommand("copy-path", arguments);
}
