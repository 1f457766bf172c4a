#pragma once

#include "volumes/StatusDisplay.h"

#include <QHash>
#include <QString>

#include <optional>

class MountEntry;
class MountTableSource;
class ServerMount;

// A mount this process made: the mount source and mount point the table gave for it.
struct MountRecord {
    QString mntfrom;
    QString mnto;

    friend bool operator==(const MountRecord&, const MountRecord&) = default;
};

// Knows where server shares (//server/share) are mounted, mounts them, and turns local
// paths on network volumes back into server paths. The process has one, reached through
// defaultKTMounter(); tests make their own over a mount table and a mount of their own.
// Everything runs on the main thread; a mount blocks it.
class KTMounter {
public:
    KTMounter(
        MountTableSource& mountTable, ServerMount& serverMount, StatusDisplaySource statusDisplay);
    KTMounter(const KTMounter&) = delete;
    KTMounter& operator=(const KTMounter&) = delete;

    // The mounter of the process, over the system's mount table, GVfs and mount.cifs,
    // made on the first call and kept until the process ends.
    static KTMounter& defaultKTMounter();

    // The local mount point of a share, or none when it is not mounted. Mounted volumes
    // are scanned first (server and share name compared without regard to case, the
    // first volume in table order wins); then the record of this process's own mounts.
    std::optional<QString> networkVolumeForShare(const QString& share);

    // Mounts a share with a method ("smb", "afp", "nfs" or "cifs") through the URL
    // METHOD:SHARE, showing the status window meanwhile. True when it is mounted.
    bool mountNetworkVolume(const QString& share, const QString& mountMethod);

    // The server path (//server/share/dir/file) of a path on a network volume, or the
    // path unchanged.
    QString transformToNetworkVolumePath(const QString& path);

    // The mounts this process made, by lower-case share.
    const QHash<QString, MountRecord>& mountPoints() const { return m_mountPoints; }

private:
    std::optional<QString> scanMountedVolumes(const QString& share);
    std::optional<QString> recordedMountPoint(const QString& share);
    std::optional<MountEntry> statfs(const QString& path);
    void recordMount(const QString& share, const QString& rootPath);
    StatusDisplay* statusDisplay() const;

    MountTableSource& m_mountTable;
    ServerMount& m_serverMount;
    StatusDisplaySource m_statusDisplay;
    QHash<QString, MountRecord> m_mountPoints;
};
