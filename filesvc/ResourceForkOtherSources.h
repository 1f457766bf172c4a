#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The icon a file browser shows for an item, as an icon family ('icns') for an alias
// file's custom icon: the names GIO gives for the item's content type (or a folder's,
// or a volume's) looked up in the freedesktop icon theme and rendered by Qt as PNG
// elements of 128, 256 and 512 pixels.
//
// Rendering needs a QGuiApplication in the process (the "offscreen" platform serves
// where there is no display); without one there is no icon. Where Qt has no icon theme
// (no desktop's platform theme), the desktop's setting or the first installed
// freedesktop theme is set for the process.
namespace ResourceForkOtherSources {

std::optional<QByteArray> iconFamilyDataForURL(const QUrl& url);
std::optional<QByteArray> iconFamilyDataForFile(const QString& path);

// The icon names GIO gives for the existing item, best first; empty when it gives none.
QStringList iconNamesForPath(const QString& path);
// The family of the first name the icon theme has; none when it has none of them.
std::optional<QByteArray> iconFamilyForIconNames(const QStringList& names);

}
