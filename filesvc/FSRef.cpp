#include "filesvc/FSRef.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

bool hasParentComponent(const QString& path)
{
    return path.contains(QStringLiteral("/../")) || path.endsWith(QStringLiteral("/.."));
}

}

// The item is looked up by the path as given, as the kernel resolves it. The path kept
// is cleaned of "." and repeated slashes; one with ".." is kept with its links resolved,
// since "link/.." need not be the folder that holds the link.
std::optional<FSRef> FSRef::fromPath(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QString absolutePath =
        QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    struct stat status { };
    if (::stat(FileNames::encode(absolutePath).constData(), &status) != 0)
        return std::nullopt;
    const QString keptPath = hasParentComponent(absolutePath)
        ? QFileInfo(absolutePath).canonicalFilePath()
        : QDir::cleanPath(absolutePath);
    if (keptPath.isEmpty())
        return std::nullopt;
    return FSRef(keptPath, status.st_dev, status.st_ino);
}

FSRef::FSRef(QString path, dev_t device, ino_t inode)
    : m_path(std::move(path))
    , m_device(device)
    , m_inode(inode)
{
}
