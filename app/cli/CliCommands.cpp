#include "cli/CliCommand.h"
#include "cli/HelpCommand.h"
#include "cli/InfoCommand.h"
#include "cli/SettingsCommand.h"

namespace {

const CliCommand commandTable[] = {
    {"help", "[COMMAND]", "Show the commands, or what one command does", runHelpCommand},
    {"info", "[--json] FILE...", "Show what Windows shortcut files hold: target, share, encodings",
        runInfoCommand},
    {"settings", "[get KEY | set KEY VALUE | map FROM SHARE | unmap FROM]",
        "List the settings, or read or change one; changes reach running instances at once",
        runSettingsCommand},
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
