#include "instance/LocalFileUri.h"

#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"

#include <QFile>
#include <QUrl>

#include <gio/gio.h>

namespace LocalFileUri {

QString fromPath(const QString& path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

std::optional<QString> toPath(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    if (url.isLocalFile())
        return url.toLocalFile();
    const auto file = GObjectRef<GFile>::adopt(g_file_new_for_uri(uri.toUtf8().constData()));
    const GCharPtr path(g_file_get_path(file.get()));
    if (!path)
        return std::nullopt;
    return QFile::decodeName(path.get());
}

}
