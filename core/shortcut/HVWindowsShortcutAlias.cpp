#include "filesvc/JLAlias.h"
#include "platform/StepTrace.h"
#include "shortcut/HVWindowsShortcut.h"

namespace {

QString aliasFailedMessage()
{
    return QStringLiteral("Failed to create alias");
}

}

// File browsers watch their folders themselves, so the new file shows without a notice
// to the workspace. Where an opening has just found the target, its path is taken as it
// is: composing it again would ask the mounter, and the share, once more.
bool HVWindowsShortcut::saveAsAlias(const QString& aliasPath)
{
    std::optional<QString> targetPath = m_localPath;
    if (!targetPath) {
        const std::optional<LocalTarget> target = composeLocalTarget();
        if (!target)
            return false;
        targetPath = target->path;
    }
    const std::unique_ptr<JLAlias> alias =
        targetPath ? JLAlias::aliasWithPath(*targetPath) : nullptr;
    StepTrace::step("alias: record made");
    if (!alias || !alias->writeToFile(aliasPath)) {
        setErrorMessage(aliasFailedMessage());
        return false;
    }
    StepTrace::step("alias: file written");
    return true;
}
