#include "platform/LocalFileUri.h"

#include "platform/FileNames.h"
#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"

#include <QUrl>

#include <gio/gio.h>

namespace LocalFileUri {

QString fromPath(const QString& path)
{
    // Percent-encoded from the name's bytes: QUrl would first turn a name that is not
    // UTF-8 into UTF-8 and so name another file.
    const QByteArray uri = "file://" + FileNames::encode(path).toPercentEncoding("/");
    return QString::fromLatin1(uri);
}

std::optional<QString> toPath(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    const auto file = GObjectRef<GFile>::adopt(g_file_new_for_uri(uri.toUtf8().constData()));
    const GCharPtr path(g_file_get_path(file.get()));
    if (!path)
        return std::nullopt;
    return FileNames::decode(path.get());
}

}
