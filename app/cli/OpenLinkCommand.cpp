#include "cli/OpenLinkCommand.h"

#include "cli/CliCommand.h"
#include "cli/CommandArguments.h"
#include "instance/RequestDelivery.h"

int runOpenLinkCommand(const QStringList& arguments)
{
    const std::optional<QStringList> texts = CommandArguments::operands("open-link", arguments);
    if (!texts)
        return ExitUsage;
    if (texts->size() > 1) {
        return CommandArguments::usageError(
            "open-link", QStringLiteral("give the text as one argument, in quotation marks"));
    }
    const std::optional<QString> text =
        texts->isEmpty() ? std::nullopt : std::optional(texts->first());
    return RequestDelivery::deliver(AppRequest::openLink(text));
}
