#include "workspace/ExecuteBit.h"

#include "platform/FileNames.h"
#include "platform/MountInfo.h"

#include <QDir>
#include <QFileInfo>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <optional>

namespace ExecuteBit {
namespace {

const QLatin1Char slash('/');

// Only on these file systems, as statfs(2) tells them, may the modes be made up; only
// for them is the mount table read, so that a file on a local disk costs two calls.
// (File systems without a block device are looked up in the table at once.)
bool mayMakeUpModes(__fsword_t magic)
{
    switch (static_cast<unsigned long>(magic)) {
    case CIFS_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case MSDOS_SUPER_MAGIC:
    case EXFAT_SUPER_MAGIC:
    case FUSE_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// The rest of path below mountPoint, or none when path is not at or below it.
std::optional<QString> pathBelow(const QString& mountPoint, const QString& path)
{
    if (mountPoint == QLatin1String("/"))
        return path.sliced(1);
    if (path == mountPoint)
        return QString();
    if (path.startsWith(mountPoint) && path[mountPoint.size()] == slash)
        return path.sliced(mountPoint.size() + 1);
    return std::nullopt;
}

QString gvfsMountOf(const MountInfo::Line& mount, const QString& rest)
{
    const QString inside = QDir::cleanPath(FileNames::decode(mount.root) + slash + rest);
    return inside.split(slash, Qt::SkipEmptyParts).value(0);
}

FileSystem fileSystemOf(const MountInfo::Line& mount, const QString& rest)
{
    const QString type = QString::fromUtf8(mount.fileSystemType);
    return FileSystem {type, QString::fromUtf8(mount.superOptions).split(QLatin1Char(',')),
        type == QLatin1String("fuse.gvfsd-fuse") ? gvfsMountOf(mount, rest) : QString()};
}

// The mount of the device that holds canonicalPath: of its bind mounts, the one the
// path lies below with the longest mount point.
std::optional<FileSystem> mountedFileSystem(dev_t device, const QString& canonicalPath)
{
    std::optional<FileSystem> found;
    qsizetype longestMountPoint = -1;
    for (const MountInfo::Line& mount : MountInfo::parse(MountInfo::readCurrent())) {
        if (mount.device != device)
            continue;
        const QString mountPoint = FileNames::decode(mount.mountPoint);
        if (mountPoint.size() <= longestMountPoint)
            continue;
        const std::optional<QString> rest = pathBelow(mountPoint, canonicalPath);
        if (!rest)
            continue;
        longestMountPoint = mountPoint.size();
        found = fileSystemOf(mount, *rest);
    }
    return found;
}

}

bool meansSomethingOn(const FileSystem& fileSystem)
{
    const QString& type = fileSystem.type;
    if (type == QLatin1String("cifs") || type == QLatin1String("smb3")
        || type == QLatin1String("smbfs"))
        return fileSystem.superOptions.contains(QLatin1String("unix"))
            || fileSystem.superOptions.contains(QLatin1String("posix"));
    if (type == QLatin1String("vfat") || type == QLatin1String("msdos")
        || type == QLatin1String("exfat"))
        return false;
    if (type == QLatin1String("fuse.gvfsd-fuse"))
        return !fileSystem.gvfsMount.startsWith(QLatin1String("smb-share:"));
    return true;
}

bool meansSomethingOnGvfsBackend(const QString& uriScheme)
{
    return uriScheme != QLatin1String("smb");
}

bool meansSomethingAt(const QString& path)
{
    struct stat status { };
    if (::stat(FileNames::encode(path).constData(), &status) != 0)
        return true;
    return meansSomethingAt(path, status.st_dev);
}

bool meansSomethingAt(const QString& path, dev_t device)
{
    const QByteArray name = FileNames::encode(path);
    struct statfs fileSystemStatus { };
    // statfs(2) of a FUSE or network file system asks its daemon or server, a round trip
    // the mount table, read locally, does without. Those file systems have no block
    // device (their device's major number is 0): for them the table alone decides.
    if (major(device) != 0
        && (::statfs(name.constData(), &fileSystemStatus) != 0
            || !mayMakeUpModes(fileSystemStatus.f_type)))
        return true;
    const QString canonicalPath = QFileInfo(path).canonicalFilePath();
    if (canonicalPath.isEmpty())
        return true;
    const std::optional<FileSystem> fileSystem = mountedFileSystem(device, canonicalPath);
    return !fileSystem || meansSomethingOn(*fileSystem);
}

}
