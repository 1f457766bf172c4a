#include "cli/OpenCommand.h"

#include "cli/CliCommand.h"
#include "cli/CommandArguments.h"
#include "instance/RequestDelivery.h"

int runOpenCommand(const QStringList& arguments)
{
    const std::optional<QStringList> files = CommandArguments::operands("open", arguments);
    if (!files)
        return ExitUsage;
    if (files->isEmpty())
        return CommandArguments::usageError("open", QStringLiteral("no shortcut file given"));
    return RequestDelivery::deliver(AppRequest::open(CommandArguments::absolutePaths(*files)));
}
