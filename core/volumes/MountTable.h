#pragma once

#include "volumes/MountEntry.h"

#include <QByteArrayView>
#include <QList>
#include <QStringView>

#include <vector>

// A snapshot of the mounted volumes in a fixed order: kernel mounts in the order of the
// kernel's table, then the GVfs shares. It answers which volume holds a path without
// touching the file system.
class MountTable {
public:
    MountTable() = default;
    explicit MountTable(QList<MountEntry> volumes);

    // The kernel mounts of a mountinfo text followed by the given GVfs shares.
    static MountTable fromMountInfo(QByteArrayView mountInfo, QList<MountEntry> gvfsVolumes = {});

    const QList<MountEntry>& volumes() const { return m_volumes; }

    // The volume holding an absolute, clean path: the one with the longest mount point
    // that is the path or a folder above it; of volumes mounted on the same point, the
    // one mounted last. Symbolic links are not followed. None for a path inside GVfs's
    // FUSE folder that lies in no mounted share: only shares exist there.
    const MountEntry* volumeForPath(QStringView path) const;

private:
    QList<MountEntry> m_volumes;
    // Indexes into m_volumes, longest mount point first, later mounts before earlier.
    std::vector<qsizetype> m_lookupOrder;
};
