#pragma once

#include <QString>

#include <functional>
#include <memory>

class AppAlerts;
class HVWindowsShortcut;
class KTPreferences;
class QMimeData;

// What the application's handlers (AppController, KTLinkService) reach outside
// themselves. The program fills it with the real services (systemEnvironment); unit
// tests with stand-ins.
struct AppEnvironment {
    KTPreferences* preferences = nullptr;
    AppAlerts* alerts = nullptr;
    // Mounts the share of a shortcut and opens its target (HVWindowsShortcut::openFile).
    std::function<bool(HVWindowsShortcut& shortcut)> openShortcut;
    // The server form of a local path on a network volume, or the path itself
    // (KTMounter::transformToNetworkVolumePath).
    std::function<QString(const QString& path)> networkVolumePath;
    // Copies of what the user has selected (PRIMARY) and of the clipboard; empty
    // pasteboards where there is no display.
    std::function<std::unique_ptr<QMimeData>()> primarySelection;
    std::function<std::unique_ptr<QMimeData>()> clipboardContents;
    // Puts one text/plain item on the clipboard; false where there is no clipboard.
    std::function<bool(const QString& text)> setClipboardText;

    // The process's own: the user's preferences, the process's mounter, GIO and the
    // display's clipboard.
    static AppEnvironment systemEnvironment(AppAlerts& alerts);
};
