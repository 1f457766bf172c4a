#include "cli/CopyPathCommand.h"

#include "cli/CliCommand.h"
#include "cli/CommandArguments.h"
#include "instance/RequestDelivery.h"

int runCopyPathCommand(const QStringList& arguments)
{
    const std::optional<QStringList> files = CommandArguments::operands("copy-path", arguments);
    if (!files)
        return ExitUsage;
    const std::optional<QStringList> paths =
        files->isEmpty() ? std::nullopt : std::optional(CommandArguments::absolutePaths(*files));
    return RequestDelivery::deliver(AppRequest::copyPath(paths));
}
