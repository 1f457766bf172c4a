#include "cli/CliCommand.h"
#include "cli/HandoverCommands.h"
#include "cli/HelpCommand.h"
#include "cli/InfoCommand.h"
#include "cli/ServiceCommand.h"
#include "cli/SettingsCommand.h"
#include "cli/WinpathCommand.h"

namespace {

const char* const settingsDetails =
    "Keys (KEY: values, default: meaning):\n"
    "  mountMethod: smb, afp, nfs or cifs, default smb: how shares are mounted (smb,\n"
    "      afp and nfs through GVfs, cifs with the kernel's mount.cifs)\n"
    "  driveMapping: a list of drive letter -> share, default none: changed with map\n"
    "      and unmap, as in: kestrova settings map X: '\\\\fs1\\Projects'\n"
    "  mappingEnabled: true or false, default false: apply the drive mappings to the\n"
    "      paths that are opened and copied\n"
    "  useBackslash: true or false, default false: copy paths as \\\\server\\share\\file\n"
    "      rather than //server/share/file\n"
    "  useQuotationMarks: true or false, default false: put copied paths in quotation\n"
    "      marks\n"
    "  dfsInstalled: true or false, default false: the network uses DFS referrals; wait\n"
    "      for a target that is not there yet to appear\n"
    "  createAlias: true or false, default false: convert opened shortcuts into alias\n"
    "      files\n"
    "  showDetails: true or false, default false: the settings window shows its details\n"
    "forget-guests: the servers where \"Connect as guest\" was chosen, which later mounts\n"
    "  take as the answer, ask again at their next mount\n";

const CliCommand commandTable[] = {
    {"help", "[COMMAND]", "Show the commands, or what one command does", runHelpCommand},
    {"info", "[--json] FILE...", "Show what Windows shortcut files hold: target, share, encodings",
        runInfoCommand},
    {"settings", "[get KEY | set KEY VALUE | map FROM SHARE | unmap FROM | forget-guests]",
        "List the settings, or read or change one; changes reach running instances at once",
        runSettingsCommand, false, false, settingsDetails},
    {"open", "FILE...",
        "Open the targets of Windows shortcut files, mounting their shares (what a double "
        "click on a .lnk runs)",
        runOpenCommand, true, true},
    {"open-link", "[TEXT]",
        "Open the Windows path or link TEXT names (\\\\server\\share\\file, X:\\file, "
        "file://...), or else the text selected in any application",
        runOpenLinkCommand, true, true},
    {"copy-path", "[FILE...]",
        "Copy the Windows paths of the files (names, file:// or smb://server/share/... URIs), "
        "or else of the files on the clipboard, to the clipboard, one a line",
        runCopyPathCommand, true, true},
    {"winpath", "FILE...",
        "Print the Windows path of each file (a name, a file:// or smb:// URI), one a line, "
        "as copy-path copies it",
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
