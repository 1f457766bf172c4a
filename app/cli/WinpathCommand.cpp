#include "cli/WinpathCommand.h"

#include "AppEnvironment.h"
#include "alerts/AppAlerts.h"
#include "cli/CliCommand.h"
#include "cli/CommandArguments.h"
#include "cli/CommandOperands.h"
#include "link/KTLinkService.h"

#include <QTextStream>

#include <cstdio>

int runWinpathCommand(const QStringList& arguments)
{
    const std::optional<QStringList> files = CommandArguments::operands("winpath", arguments);
    if (!files)
        return ExitUsage;
    if (files->isEmpty())
        return CommandArguments::usageError("winpath", QStringLiteral("no file given"));
    AppAlerts alerts;
    const AppEnvironment environment = AppEnvironment::systemEnvironment(alerts);
    const KTLinkService service(environment);
    QTextStream out(stdout);
    for (const QString& path : CommandOperands::absolutePaths(*files))
        out << service.windowsPath(path) << '\n';
    out.flush();
    if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0) {
        std::perror("kestrova: winpath: writing the paths failed");
        return ExitFailure;
    }
    return ExitSuccess;
}
