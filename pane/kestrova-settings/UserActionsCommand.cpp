#include "UserActionsCommand.h"

#include "FileManagerActions.h"

#include <QTextStream>

#include <cstdio>

namespace UserActionsCommand {

int run(const std::optional<QString>& actionsFolder)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!actionsFolder) {
        err << "kestrova-settings: Kestrova's file-manager actions are not installed\n";
        return 2;
    }
    const FileManagerActions actions(FileManagerActions::Folders::fromEnvironment(), *actionsFolder,
        QDBusConnection::sessionBus());
    const FileManagerActions::Outcome outcome = actions.turnOn();
    const QList<FileManagerActions::Status> statuses = actions.statuses();
    if (statuses.isEmpty())
        out << "No file manager found (Nautilus, Nemo, Dolphin, Thunar)\n";
    for (const FileManagerActions::Status& status : statuses)
        out << FileManagerActions::name(status.manager) << ": "
            << FileManagerActions::stateText(status.state) << '\n';
    if (outcome.thunarNeedsRestart)
        out << FileManagerActions::thunarRestartAdvice() << '\n';
    out.flush();
    for (const QString& problem : outcome.problems)
        err << "kestrova-settings: " << problem << '\n';
    return outcome.problems.isEmpty() ? 0 : 2;
}

}
