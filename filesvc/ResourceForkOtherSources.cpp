#include "filesvc/ResourceForkOtherSources.h"

#include "filesvc/FSRef.h"
#include "filesvc/IconFamily.h"
#include "platform/FileNames.h"
#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>

#include <gio/gio.h>

namespace {

constexpr int kEdges[] = {128, 256, 512};
constexpr qsizetype kRenderedFamiliesKept = 32;

// Without a desktop's platform theme Qt knows no icon theme (or, on X without a desktop,
// names only "hicolor", which holds application icons but none for content types). Then
// the desktop's own setting (GNOME's icon-theme, where its schema is installed) or the
// first freedesktop theme found is taken, from the XDG data folders.
void chooseIconTheme()
{
    const QString current = QIcon::themeName();
    if (!current.isEmpty() && current != QLatin1String("hicolor"))
        return;
    QStringList folders = QIcon::themeSearchPaths();
    for (const QString& data :
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(data + QStringLiteral("/icons"));
    QIcon::setThemeSearchPaths(folders);
    QStringList themes;
    GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
    if (GSettingsSchema* schema = schemas
            ? g_settings_schema_source_lookup(schemas, "org.gnome.desktop.interface", true)
            : nullptr) {
        g_settings_schema_unref(schema);
        const auto settings =
            GObjectRef<GSettings>::adopt(g_settings_new("org.gnome.desktop.interface"));
        const GCharPtr theme(g_settings_get_string(settings.get(), "icon-theme"));
        themes.append(QString::fromUtf8(theme.get()));
    }
    themes.append({QStringLiteral("Adwaita"), QStringLiteral("breeze"), QStringLiteral("hicolor")});
    for (const QString& theme : std::as_const(themes)) {
        for (const QString& folder : std::as_const(folders)) {
            if (!theme.isEmpty()
                && QFile::exists(
                    folder + QLatin1Char('/') + theme + QStringLiteral("/index.theme"))) {
                QIcon::setThemeName(theme);
                return;
            }
        }
    }
}

// The choice is made once: each search adds the XDG folders to Qt's search path again.
void ensureIconTheme()
{
    static const bool chosen = (chooseIconTheme(), true);
    (void)chosen;
}

std::optional<QByteArray> pngOf(const QIcon& icon, int edge)
{
    const QImage image = icon.pixmap(QSize(edge, edge))
                             .toImage()
                             .scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (image.isNull())
        return std::nullopt;
    // Smaller renderings are centred on a transparent square of the full edge.
    QImage square(edge, edge, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((edge - image.width()) / 2, (edge - image.height()) / 2, image);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!square.save(&buffer, "PNG"))
        return std::nullopt;
    return png;
}

std::optional<QByteArray> renderFirstIcon(const QStringList& names)
{
    for (const QString& name : names) {
        const QIcon icon = QIcon::fromTheme(name);
        if (icon.isNull())
            continue;
        QList<IconFamily::Element> elements;
        for (const int edge : kEdges) {
            const std::optional<QByteArray> png = pngOf(icon, edge);
            if (!png)
                return std::nullopt;
            elements.append(IconFamily::Element {IconFamily::pngElementType(edge), *png});
        }
        return IconFamily::serialize(elements);
    }
    return std::nullopt;
}

}

namespace ResourceForkOtherSources {

// Asked of the local file system: for a path in GVfs's FUSE folder GIO's default would
// ask the GVfs daemon over the bus, a round trip to the server, for an icon that again
// comes from the content type of the name.
QStringList iconNamesForPath(const QString& path)
{
    const auto file = GObjectRef<GFile>::adopt(
        g_vfs_get_file_for_path(g_vfs_get_local(), FileNames::encode(path).constData()));
    const auto info = GObjectRef<GFileInfo>::adopt(g_file_query_info(
        file.get(), G_FILE_ATTRIBUTE_STANDARD_ICON, G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    GIcon* icon = info ? g_file_info_get_icon(info.get()) : nullptr;
    QStringList names;
    if (!icon || !G_IS_THEMED_ICON(icon))
        return names;
    for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name;
         ++name)
        names.append(QString::fromUtf8(*name));
    return names;
}

std::optional<QByteArray> iconFamilyForIconNames(const QStringList& names)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    ensureIconTheme();
    // Rendering, and looking names up in a theme that has none of them, take tens of
    // milliseconds; the instance does each type's once, its icon or the lack of one.
    static QHash<QString, std::optional<QByteArray>> rendered;
    const QString key = QIcon::themeName() + QLatin1Char('\n') + names.join(QLatin1Char('\n'));
    if (const auto found = rendered.constFind(key); found != rendered.constEnd())
        return *found;
    std::optional<QByteArray> family = renderFirstIcon(names);
    if (rendered.size() >= kRenderedFamiliesKept)
        rendered.clear();
    rendered.insert(key, family);
    return family;
}

std::optional<QByteArray> iconFamilyDataForURL(const QUrl& url)
{
    if (!url.isLocalFile())
        return std::nullopt;
    const std::optional<FSRef> ref = FSRef::fromPath(url.toLocalFile());
    if (!ref)
        return std::nullopt;
    return iconFamilyForIconNames(iconNamesForPath(ref->path()));
}

std::optional<QByteArray> iconFamilyDataForFile(const QString& path)
{
    return iconFamilyDataForURL(QUrl::fromLocalFile(path));
}

}
