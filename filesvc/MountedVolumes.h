#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// A volume as alias records and HFS-style paths name it: its mount point, its name,
// and for a network volume the share it shows and the method it was mounted with.
struct MountedVolume {
    QString mountPoint;
    // The name a Mac would show: the share's name for a network volume, the last
    // component of the mount point otherwise, the host name for "/".
    QString name;
    // //server/share for a network volume.
    std::optional<QString> share;
    // "smb", "afp", "nfs" or "cifs" for a network volume, empty otherwise.
    QString mountMethod;
};

// The volumes of this machine: the kernel's mounts, and each GVfs share inside GVfs's
// FUSE folder as a volume of its own.
namespace MountedVolumes {

QList<MountedVolume> current();

// The volumes of a mountinfo text; gvfsFolders lists the entries found inside the
// mount point of each GVfs FUSE mount (absolute paths).
QList<MountedVolume> fromMountInfo(
    QByteArrayView mountInfo, const QStringList& gvfsFolders, const QString& hostName);

// The volume with the longest mount point that holds the absolute path.
std::optional<MountedVolume> holding(const QList<MountedVolume>& volumes, const QString& path);
// The last volume of that name, so that a mount over another one wins.
std::optional<MountedVolume> named(const QList<MountedVolume>& volumes, const QString& name);
// The last volume that shows the share (//server/share, letter case ignored).
std::optional<MountedVolume> showingShare(
    const QList<MountedVolume>& volumes, const QString& share);

}
