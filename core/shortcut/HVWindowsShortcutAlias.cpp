#include "filesvc/JLAlias.h"
#include "platform/StepTrace.h"
#include "shortcut/HVWindowsShortcut.h"

#include <system_error>
#include <utility>

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
    const std::shared_ptr<JLAlias> alias = targetPath ? takeAliasOf(*targetPath) : nullptr;
    StepTrace::step("alias: record made");
    if (!alias || !alias->writeToFile(aliasPath)) {
        setErrorMessage(aliasFailedMessage());
        return false;
    }
    StepTrace::step("alias: file written");
    return true;
}

// Making the record reads the target, its folder, its volume and its sidecar: on a share
// GVfs serves, each is fetched from the server again once the kernel's caches have
// expired. Where no thread can be started, saveAsAlias() makes the alias itself.
void HVWindowsShortcut::startMakingAlias(const QString& targetPath)
{
    if (!m_aliasFollowsOpening)
        return;
    const auto makeAlias = [targetPath] {
        return std::shared_ptr<JLAlias>(JLAlias::aliasReadyToWrite(targetPath));
    };
    try {
        m_aliasInMaking = AliasInMaking {targetPath, std::async(std::launch::async, makeAlias)};
    } catch (const std::system_error&) {
        m_aliasInMaking.reset();
    }
}

// The alias the opening started making, when it is of this target; else one made now.
std::shared_ptr<JLAlias> HVWindowsShortcut::takeAliasOf(const QString& targetPath)
{
    std::optional<AliasInMaking> inMaking = std::exchange(m_aliasInMaking, std::nullopt);
    if (inMaking && inMaking->targetPath == targetPath)
        return inMaking->alias.get();
    return JLAlias::aliasWithPath(targetPath);
}
