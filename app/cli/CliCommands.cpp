#include "cli/CliCommand.h"
#include "cli/HelpCommand.h"

namespace {

const CliCommand commandTable[] = {
    {"help", "[COMMAND]", "Show the commands, or what one command does", runHelpCommand},
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
