#include "filesvc/JLAlias.h"
#include "shortcut/HVWindowsShortcut.h"

namespace {

QString aliasFailedMessage()
{
    return QStringLiteral("Failed to create alias");
}

}

// File browsers watch their folders themselves, so the new file shows without a notice
// to the workspace.
bool HVWindowsShortcut::saveAsAlias(const QString& aliasPath)
{
    const std::optional<LocalTarget> target = composeLocalTarget();
    if (!target)
        return false;
    const std::unique_ptr<JLAlias> alias =
        target->path ? JLAlias::aliasWithPath(*target->path) : nullptr;
    if (!alias || !alias->writeToFile(aliasPath)) {
        setErrorMessage(aliasFailedMessage());
        return false;
    }
    return true;
}
