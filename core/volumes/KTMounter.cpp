#include "volumes/KTMounter.h"

#include "filesvc/FSRef.h"
#include "filesvc/JLCarbonUtilities.h"
#include "platform/SystemLog.h"
#include "volumes/MountEntry.h"
#include "volumes/MountTableSource.h"
#include "volumes/MountURL.h"
#include "volumes/ServerMount.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

bool equalsIgnoringCase(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// True for an absolute path that cleaning would leave as it is: no "." or ".."
// components, no repeated or trailing slashes. Most paths are, and need no copy.
bool isAbsoluteAndClean(QStringView path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return false;
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        return false;
    qsizetype componentStart = 1;
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != QLatin1Char('/'))
            continue;
        const QStringView component = path.sliced(componentStart, i - componentStart);
        if (component.isEmpty() || component == u"." || component == u"..")
            return path.size() == 1;
        componentStart = i + 1;
    }
    return true;
}

QString absoluteCleanPath(const QString& path)
{
    if (isAbsoluteAndClean(path))
        return path;
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

const MountSourceURL* networkURL(const MountEntry* volume)
{
    if (!volume || !volume->sourceURL() || !volume->sourceURL()->host())
        return nullptr;
    return &*volume->sourceURL();
}

// //host/share followed by the rest of the path below the mount point. A volume whose
// source names a host but no path (an nfs export of "/") gives //host/rest.
QString serverPath(const MountEntry& volume, const MountSourceURL& url, const QString& path)
{
    const QString& mountPoint = volume.mountPoint();
    const qsizetype restStart =
        mountPoint.endsWith(QLatin1Char('/')) ? mountPoint.size() - 1 : mountPoint.size();
    const QStringView rest = QStringView(path).sliced(restStart);
    QString result;
    result.reserve(url.serverPrefix().size() + rest.size() + 1);
    result.append(url.serverPrefix());
    if (url.sharePath().isEmpty() && rest.isEmpty())
        result.append(QLatin1Char('/'));
    result.append(rest);
    return result;
}

bool isDirectoryRoot(const QString& mountPointPath)
{
    const std::optional<FSRef> root = FSRef::fromPath(mountPointPath);
    if (!root)
        return false;
    const std::optional<QString> rootPath = JLCarbonUtilities::stringWithFSRef(*root);
    return rootPath && QFileInfo(*rootPath).isDir();
}

}

KTMounter::KTMounter(
    MountTableSource& mountTable, ServerMount& serverMount, StatusDisplaySource statusDisplay)
    : m_mountTable(mountTable)
    , m_serverMount(serverMount)
    , m_statusDisplay(std::move(statusDisplay))
{
}

std::optional<QString> KTMounter::networkVolumeForShare(const QString& share)
{
    if (std::optional<QString> mountPoint = scanMountedVolumes(share))
        return mountPoint;
    return recordedMountPoint(share);
}

// The volume's own mount source is not what is compared: a volume's root is looked up in
// the table like any path, so that of two volumes on one mount point only the one on
// top, which is what a path there reaches, can match. The checks that touch the file
// system come last, for candidates only.
std::optional<QString> KTMounter::scanMountedVolumes(const QString& share)
{
    const QStringList parts = share.split(QLatin1Char('/'));
    if (parts.size() < 4)
        return std::nullopt;
    const std::shared_ptr<const MountTable> table = m_mountTable.current();
    for (const MountEntry& volume : table->volumes()) {
        const MountEntry* holder = table->volumeForPath(volume.mountPoint());
        if (!holder || !holder->sourceURL())
            continue;
        const std::optional<QString>& host = holder->sourceURL()->host();
        const std::optional<QString> lastComponent = holder->sourceURL()->lastPathComponent();
        if (!host || !lastComponent)
            continue;
        if (!equalsIgnoringCase(*host, parts[2]) || !equalsIgnoringCase(*lastComponent, parts[3]))
            continue;
        if (!isDirectoryRoot(volume.mountPoint()))
            continue;
        SystemLog::write(QStringLiteral("We seem to have found it from: %1 to: %2")
                             .arg(holder->mountSource(), holder->mountPoint()));
        return holder->mountPoint();
    }
    return std::nullopt;
}

std::optional<QString> KTMounter::recordedMountPoint(const QString& share)
{
    const QString key = share.toLower();
    const auto found = m_mountPoints.constFind(key);
    if (found == m_mountPoints.constEnd())
        return std::nullopt;
    const MountRecord& record = found.value();
    SystemLog::write(QStringLiteral("Mounter: There is already one mntfrom: %1 mnto %2")
                         .arg(record.mntfrom, record.mnto));
    const std::optional<MountEntry> volume = statfs(record.mnto);
    if (!volume)
        return std::nullopt;
    if (!equalsIgnoringCase(volume->mountSource(), record.mntfrom)
        || !equalsIgnoringCase(volume->mountPoint(), record.mnto)) {
        m_mountPoints.remove(key);
        return std::nullopt;
    }
    return volume->mountPoint();
}

// What statfs(2) tells of an existing path: the volume that holds it.
std::optional<MountEntry> KTMounter::statfs(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return std::nullopt;
    const MountEntry* volume = m_mountTable.current()->volumeForPath(absoluteCleanPath(path));
    if (!volume)
        return std::nullopt;
    return *volume;
}

bool KTMounter::mountNetworkVolume(const QString& share, const QString& mountMethod)
{
    const Result<QString> url = MountURL::forShare(share, mountMethod);
    if (!url) {
        SystemLog::write(QStringLiteral("Mounter: ") + url.reason());
        return false;
    }
    if (StatusDisplay* status = statusDisplay()) {
        status->setTitle(QStringLiteral("Mounting drive ") + *url);
        status->showWithProgressEnabled(true);
    }
    const ServerMountResult result = m_serverMount.mountServerVolume(*url);
    if (StatusDisplay* status = statusDisplay())
        status->hideNow();
    if (!result.mounted)
        return false;
    if (result.rootPath)
        recordMount(share, *result.rootPath);
    return true;
}

void KTMounter::recordMount(const QString& share, const QString& rootPath)
{
    m_mountTable.awaitVolumeAt(rootPath);
    const std::optional<FSRef> root = FSRef::fromPath(rootPath);
    if (!root)
        return;
    const std::optional<QString> path = JLCarbonUtilities::stringWithFSRef(*root);
    if (!path)
        return;
    const std::optional<MountEntry> volume = statfs(*path);
    if (!volume)
        return;
    m_mountPoints.insert(
        share.toLower(), MountRecord {volume->mountSource(), volume->mountPoint()});
}

// The path is taken as written, without following symbolic links, so that converting
// paths on network volumes touches no file. Only a path that is not on a network volume
// that way is looked up again with its links resolved.
QString KTMounter::transformToNetworkVolumePath(const QString& path)
{
    if (path.isEmpty())
        return path;
    const QString absolutePath = absoluteCleanPath(path);
    const std::shared_ptr<const MountTable> table = m_mountTable.current();
    const MountEntry* volume = table->volumeForPath(absolutePath);
    if (const MountSourceURL* url = networkURL(volume))
        return serverPath(*volume, *url, absolutePath);
    const QString resolvedPath = QFileInfo(absolutePath).canonicalFilePath();
    if (resolvedPath.isEmpty() || resolvedPath == absolutePath)
        return path;
    volume = table->volumeForPath(resolvedPath);
    if (const MountSourceURL* url = networkURL(volume))
        return serverPath(*volume, *url, resolvedPath);
    return path;
}

StatusDisplay* KTMounter::statusDisplay() const
{
    return m_statusDisplay ? m_statusDisplay() : nullptr;
}
