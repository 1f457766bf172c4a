#include "environment/AppEnvironment.h"

#include "environment/SystemPasteboards.h"
#include "preferences/KTPreferences.h"
#include "shortcut/HVWindowsShortcut.h"
#include "volumes/AliasShareMounter.h"
#include "volumes/KTMounter.h"

#include <QMimeData>

AppEnvironment AppEnvironment::systemEnvironment(AppAlerts& alerts)
{
    // Alias files of converted shortcuts mount their shares through the process's mounter.
    AliasShareMounter::install();
    AppEnvironment environment;
    environment.preferences = &KTPreferences::defaultKTPreferences();
    environment.alerts = &alerts;
    environment.openShortcut = [](HVWindowsShortcut& shortcut) { return shortcut.openFile(); };
    environment.networkVolumePath = [](const QString& path) {
        return KTMounter::defaultKTMounter().transformToNetworkVolumePath(path);
    };
    environment.primarySelection = SystemPasteboards::primarySelection;
    environment.clipboardContents = SystemPasteboards::clipboardContents;
    environment.setClipboardText = SystemPasteboards::setClipboardText;
    return environment;
}
