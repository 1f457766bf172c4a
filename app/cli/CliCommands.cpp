#include "cli/CliCommand.h"
#include "cli/HandoverCommands.h"
#include "cli/HelpCommand.h"
#include "cli/InfoCommand.h"
#include "cli/ServiceCommand.h"
#include "cli/SettingsCommand.h"
#include "cli/WinpathCommand.h"

namespace {

const CliCommand commandTable[] = {
    {"help", "[COMMAND]", "Show the commands, or what one command does", runHelpCommand},
    {"info", "[--json] FILE...", "Show what Windows shortcut files hold: target, share, encodings",
        runInfoCommand},
    {"settings", "[get KEY | set KEY VALUE | map FROM SHARE | unmap FROM]",
        "List the settings, or read or change one; changes reach running instances at once",
        runSettingsCommand},
    {"open", "FILE...",
        "Open the targets of Windows shortcut files, mounting their shares (what a double "
        "click on a .lnk runs)",
        runOpenCommand, true, true},
    {"open-link", "[TEXT]",
        "Open the Windows path or link TEXT names (\\\\server\\share\\file, X:\\file, "
        "file://...), or else the text selected in any application",
        runOpenLinkCommand, true, true},
    {"copy-path", "[FILE...]",
        "Copy the Windows paths of the files, or else of the files on the clipboard, to the "
        "clipboard, one a line",
        runCopyPathCommand, true, true},
    {"winpath", "FILE...",
        "Print the Windows path of each file, one a line, as copy-path copies it",
        runWinpathCommand},
    {"service", "",
        "Run the instance of the session that the other commands and the desktop hand their "
        "requests to (D-Bus starts it)",
        runServiceCommand, true},
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
