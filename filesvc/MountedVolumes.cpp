#include "filesvc/MountedVolumes.h"

#include "platform/FileNames.h"
#include "platform/MountInfo.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSysInfo>
#include <QUrl>

namespace {

constexpr char kGvfsFuseType[] = "fuse.gvfsd-fuse";

QString lastComponent(const QString& path)
{
    return path.sliced(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// GVfs names a share folder "smb-share:server=fs1,share=my%20files" or
// "afp-volume:host=mac,volume=Work", with the values percent-escaped.
std::optional<MountedVolume> gvfsShareVolume(const QString& folder)
{
    const QString entry = lastComponent(folder);
    const qsizetype colon = entry.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    const QString scheme = entry.first(colon);
    QHash<QString, QString> keys;
    for (const QString& pair : entry.sliced(colon + 1).split(QLatin1Char(','))) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals > 0)
            keys.insert(
                pair.first(equals), QUrl::fromPercentEncoding(pair.sliced(equals + 1).toUtf8()));
    }
    QString server, share, method;
    if (scheme == QLatin1String("smb-share")) {
        server = keys.value(QStringLiteral("server"));
        share = keys.value(QStringLiteral("share"));
        method = QStringLiteral("smb");
    } else if (scheme == QLatin1String("afp-volume")) {
        server = keys.value(QStringLiteral("host"));
        share = keys.value(QStringLiteral("volume"));
        method = QStringLiteral("afp");
    } else if (scheme == QLatin1String("nfs")) {
        server = keys.value(QStringLiteral("host"));
        share = keys.value(QStringLiteral("prefix")).remove(0, 1);
        method = QStringLiteral("nfs");
    }
    if (server.isEmpty() || share.isEmpty())
        return MountedVolume {folder, entry, std::nullopt, QString()};
    return MountedVolume {
        folder, lastComponent(share), QStringLiteral("//%1/%2").arg(server, share), method};
}

MountedVolume kernelVolume(const MountInfo::Line& line, const QString& hostName)
{
    const QString mountPoint = FileNames::decode(line.mountPoint);
    const QString source = FileNames::decode(line.source);
    const QByteArray& type = line.fileSystemType;
    MountedVolume volume {mountPoint,
        mountPoint == QLatin1String("/") ? hostName : lastComponent(mountPoint), std::nullopt,
        QString()};
    if ((type == "cifs" || type == "smb3") && source.startsWith(QLatin1String("//"))) {
        volume.share = source;
        volume.mountMethod = QStringLiteral("cifs");
        volume.name = lastComponent(source);
    } else if (type.startsWith("nfs") && source.contains(QLatin1String(":/"))) {
        const qsizetype colon = source.indexOf(QLatin1String(":/"));
        volume.share = QStringLiteral("//") + source.first(colon) + source.sliced(colon + 1);
        volume.mountMethod = QStringLiteral("nfs");
        volume.name = lastComponent(*volume.share);
    }
    return volume;
}

bool holds(const QString& mountPoint, const QString& path)
{
    if (mountPoint == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == mountPoint
        || (path.startsWith(mountPoint) && path.at(mountPoint.size()) == QLatin1Char('/'));
}

}

namespace MountedVolumes {

QList<MountedVolume> fromMountInfo(
    QByteArrayView mountInfo, const QStringList& gvfsFolders, const QString& hostName)
{
    QList<MountedVolume> volumes;
    for (const MountInfo::Line& line : MountInfo::parse(mountInfo)) {
        volumes.append(kernelVolume(line, hostName));
        if (line.fileSystemType != kGvfsFuseType)
            continue;
        const QString fusePoint = volumes.last().mountPoint;
        for (const QString& folder : gvfsFolders) {
            if (holds(fusePoint, folder) && folder != fusePoint) {
                if (std::optional<MountedVolume> share = gvfsShareVolume(folder))
                    volumes.append(*share);
            }
        }
    }
    return volumes;
}

QList<MountedVolume> current()
{
    const QByteArray mountInfo = MountInfo::readCurrent();
    QStringList gvfsFolders;
    for (const MountInfo::Line& line : MountInfo::parse(mountInfo)) {
        if (line.fileSystemType != kGvfsFuseType)
            continue;
        const QDir fuse(FileNames::decode(line.mountPoint));
        for (const QString& entry : fuse.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            gvfsFolders.append(fuse.filePath(entry));
    }
    return fromMountInfo(mountInfo, gvfsFolders, QSysInfo::machineHostName());
}

std::optional<MountedVolume> holding(const QList<MountedVolume>& volumes, const QString& path)
{
    const MountedVolume* best = nullptr;
    for (const MountedVolume& volume : volumes) {
        if (holds(volume.mountPoint, path)
            && (!best || volume.mountPoint.size() >= best->mountPoint.size()))
            best = &volume;
    }
    return best ? std::optional<MountedVolume>(*best) : std::nullopt;
}

std::optional<MountedVolume> named(const QList<MountedVolume>& volumes, const QString& name)
{
    for (auto volume = volumes.rbegin(); volume != volumes.rend(); ++volume) {
        if (volume->name == name)
            return *volume;
    }
    return std::nullopt;
}

std::optional<MountedVolume> showingShare(const QList<MountedVolume>& volumes, const QString& share)
{
    for (auto volume = volumes.rbegin(); volume != volumes.rend(); ++volume) {
        if (volume->share && volume->share->compare(share, Qt::CaseInsensitive) == 0)
            return *volume;
    }
    return std::nullopt;
}

}
