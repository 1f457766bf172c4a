#pragma once

#include "platform/GObjectRef.h"

#include <QString>
#include <QStringList>

#include <gio/gio.h>

#include <optional>

// An application known to the desktop by its desktop entry. Its identifier is the
// desktop-file ID ("org.gnome.Evince.desktop"), the counterpart of a bundle identifier.
class DesktopApplication {
public:
    // The application whose desktop entry has this ID in the XDG data folders.
    static std::optional<DesktopApplication> fromId(const QString& desktopId);
    // The application the freedesktop mimeapps.list rules choose for a content type.
    static std::optional<DesktopApplication> defaultForContentType(const QString& contentType);

    explicit DesktopApplication(GObjectRef<GAppInfo> info);

    QString id() const; // empty for an application that has no desktop-file ID
    QString name() const;
    // The name of the program the entry runs, without its folder ("evince"); a leading
    // "env VAR=value" is looked through.
    QString executableName() const;
    std::optional<QString> startupWmClass() const;

    // The WM_CLASS names that identify the application's windows, in the order the
    // freedesktop desktop-entry standard gives them: StartupWMClass when the entry has one,
    // otherwise the desktop ID without ".desktop" (and its last dotted component for a
    // reverse-DNS ID) and the program's name.
    QStringList windowClassNames() const;

    GAppInfo* gAppInfo() const { return m_info.get(); }

private:
    GObjectRef<GAppInfo> m_info;
};
