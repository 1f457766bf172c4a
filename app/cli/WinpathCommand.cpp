#include "cli/WinpathCommand.h"

#include "alerts/AppAlerts.h"
#include "cli/CliCommand.h"
#include "cli/CommandArguments.h"
#include "cli/CommandError.h"
#include "cli/CommandOperands.h"
#include "environment/AppEnvironment.h"
#include "link/KTLinkService.h"
#include "platform/ControlEscapes.h"
#include "platform/FileProblems.h"
#include "platform/LocationUri.h"

#include <QTextStream>

#include <cstdio>

namespace {

// Why the file has no Windows path: it cannot be looked up, or no mounted share holds
// it (its server form would be the local path itself). A file given as an smb: URI has
// its server form already.
std::optional<QString> noWindowsPath(const AppEnvironment& environment, const QString& path)
{
    if (LocationUri::isServerPath(path))
        return std::nullopt;
    if (std::optional<QString> problem = FileProblems::lookupProblem(path))
        return problem;
    if (environment.networkVolumePath(path) == path)
        return QStringLiteral("not on a mounted network share");
    return std::nullopt;
}

}

int runWinpathCommand(const QStringList& arguments)
{
    const std::optional<QStringList> files = CommandArguments::operands("winpath", arguments);
    if (!files)
        return ExitUsage;
    if (files->isEmpty())
        return CommandError::usage("winpath", QStringLiteral("no file given"));
    AppAlerts alerts;
    const AppEnvironment environment = AppEnvironment::systemEnvironment(alerts);
    const KTLinkService service(environment);
    int status = ExitSuccess;
    QTextStream out(stdout);
    for (const QString& operand : *files) {
        const Result<QString> path = CommandOperands::location(operand);
        const std::optional<QString> problem =
            path ? noWindowsPath(environment, *path) : path.reason();
        if (problem) {
            out.flush();
            CommandError::print("winpath", path ? *path : operand, *problem);
            status = ExitFailure;
            continue;
        }
        out << ControlEscapes::escapeControls(service.windowsPath(*path)) << '\n';
    }
    out.flush();
    if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0) {
        CommandError::print("winpath", QStringLiteral("writing the paths failed"));
        return ExitFailure;
    }
    return status;
}
