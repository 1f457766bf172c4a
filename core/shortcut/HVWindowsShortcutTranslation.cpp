#include "shortcut/HVWindowsShortcut.h"
#include "volumes/KTMounter.h"
#include "workspace/Workspace.h"

#include <QFileInfo>

namespace {

// The desktop entry of the application, which opens the files that are shortcuts.
const QString applicationDesktopId = QStringLiteral("com.dovrane.Kestrova.desktop");

bool opensWithApplication(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists() || file.isDir())
        return false;
    const std::optional<DesktopApplication> application =
        Workspace::shared().applicationForFile(path);
    return application && application->id().compare(applicationDesktopId, Qt::CaseInsensitive) == 0;
}

QString quotedName(const QString& path)
{
    return QStringLiteral("\u201c%1\u201d").arg(QFileInfo(path).fileName());
}

Result<QString> destinationOf(const QString& path)
{
    // No mapping list: the destination is inserted as the shortcut names it.
    const std::unique_ptr<HVWindowsShortcut> shortcut =
        HVWindowsShortcut::initWithContentsOfFile(path);
    if (!shortcut)
        return Failure {
            QStringLiteral("%1 is not a Windows shortcut that can be read.").arg(quotedName(path))};
    std::optional<QString> destination = shortcut->composedLinkName(false);
    if (!destination)
        return Failure {
            QStringLiteral("The shortcut %1 names no destination.").arg(quotedName(path))};
    return *std::move(destination);
}

}

Result<QString> HVWindowsShortcut::translateFilepath(
    const QString& path, const DraggedShortcutQuestion& question)
{
    if (opensWithApplication(path) && question(path) == ShortcutInsertion::Destination)
        return destinationOf(path);
    return KTMounter::defaultKTMounter().transformToNetworkVolumePath(path);
}
