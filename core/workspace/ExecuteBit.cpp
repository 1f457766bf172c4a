#include "workspace/ExecuteBit.h"

#include <QDir>
#include <QFile>
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

// A line of /proc/self/mountinfo (proc(5)): ID PARENT MAJOR:MINOR ROOT MOUNT-POINT
// OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER-OPTIONS.
struct MountLine {
    dev_t device = 0;
    QString root;
    QString mountPoint;
    QString type;
    QStringList superOptions;
};

// Space, tab, newline and backslash are written as \ooo in the name fields.
QString unescapedName(const QByteArray& field)
{
    QByteArray name;
    name.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        bool isOctal = false;
        const int value = field[i] == '\\' && i + 3 < field.size()
            ? QByteArrayView(field).sliced(i + 1, 3).toInt(&isOctal, 8)
            : 0;
        if (isOctal && value < 256) {
            name += char(value);
            i += 3;
        } else {
            name += field[i];
        }
    }
    return QFile::decodeName(name);
}

std::optional<MountLine> parseLine(const QByteArray& line)
{
    const QList<QByteArray> fields = line.split(' ');
    qsizetype separator = 6;
    while (separator < fields.size() && fields[separator] != "-")
        ++separator;
    const QList<QByteArray> device = fields.value(2).split(':');
    if (separator + 3 >= fields.size() || device.size() != 2)
        return std::nullopt;
    bool majorRead = false;
    bool minorRead = false;
    MountLine mount;
    mount.device = makedev(device[0].toUInt(&majorRead), device[1].toUInt(&minorRead));
    if (!majorRead || !minorRead)
        return std::nullopt;
    mount.root = unescapedName(fields[3]);
    mount.mountPoint = unescapedName(fields[4]);
    mount.type = QString::fromUtf8(fields[separator + 1]);
    mount.superOptions = QString::fromUtf8(fields[separator + 3]).split(QLatin1Char(','));
    return mount;
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

QString gvfsMountOf(const MountLine& mount, const QString& rest)
{
    const QString inside = QDir::cleanPath(mount.root + slash + rest);
    return inside.split(slash, Qt::SkipEmptyParts).value(0);
}

// The mount of the device that holds canonicalPath: of its bind mounts, the one the
// path lies below with the longest mount point.
std::optional<FileSystem> mountedFileSystem(dev_t device, const QString& canonicalPath)
{
    QFile mountInfo(QStringLiteral("/proc/self/mountinfo"));
    if (!mountInfo.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<FileSystem> found;
    qsizetype longestMountPoint = -1;
    for (const QByteArray& line : mountInfo.readAll().split('\n')) {
        const std::optional<MountLine> mount = parseLine(line);
        if (!mount || mount->device != device || mount->mountPoint.size() <= longestMountPoint)
            continue;
        const std::optional<QString> rest = pathBelow(mount->mountPoint, canonicalPath);
        if (!rest)
            continue;
        longestMountPoint = mount->mountPoint.size();
        found = FileSystem {mount->type, mount->superOptions,
            mount->type == QLatin1String("fuse.gvfsd-fuse") ? gvfsMountOf(*mount, *rest)
                                                            : QString()};
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

bool meansSomethingAt(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct statfs fileSystemStatus { };
    struct stat status { };
    if (::statfs(name.constData(), &fileSystemStatus) != 0
        || ::stat(name.constData(), &status) != 0)
        return true;
    if (!mayMakeUpModes(fileSystemStatus.f_type))
        return true;
    const QString canonicalPath = QFileInfo(path).canonicalFilePath();
    if (canonicalPath.isEmpty())
        return true;
    const std::optional<FileSystem> fileSystem = mountedFileSystem(status.st_dev, canonicalPath);
    return !fileSystem || meansSomethingOn(*fileSystem);
}

}
