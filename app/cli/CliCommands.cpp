#include "cli/CliCommand.h"
#include "cli/HelpCommand.h"
#include "cli/InfoCommand.h"

namespace {

const CliCommand commandTable[] = {
    {"help", "[COMMAND]", "Show the commands, or what one command does", runHelpCommand},
    {"info", "[--json] FILE...", "Show what Windows shortcut files hold: target, share, encodings",
        runInfoCommand},
};

}

std::span<const CliCommand> cliCommands()
{
    return commandTable;
}

const CliCommand* findCliCommand(const QString& name)
{
    for (const CliCommand& command : commandTable) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}
