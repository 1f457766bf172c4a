#include "volumes/MountTable.h"

#include "volumes/MountEntries.h"

#include <algorithm>
#include <numeric>

namespace {

const QString gvfsFuseType = QStringLiteral("fuse.gvfsd-fuse");

bool holdsPath(const QString& mountPoint, QStringView path)
{
    if (!path.startsWith(mountPoint))
        return false;
    return path.size() == mountPoint.size() || mountPoint.endsWith(QLatin1Char('/'))
        || path[mountPoint.size()] == QLatin1Char('/');
}

}

MountTable::MountTable(QList<MountEntry> volumes)
    : m_volumes(std::move(volumes))
    , m_lookupOrder(static_cast<size_t>(m_volumes.size()))
{
    std::iota(m_lookupOrder.begin(), m_lookupOrder.end(), 0);
    std::sort(m_lookupOrder.begin(), m_lookupOrder.end(), [this](qsizetype a, qsizetype b) {
        const qsizetype lengthA = m_volumes[a].mountPoint().size();
        const qsizetype lengthB = m_volumes[b].mountPoint().size();
        return lengthA != lengthB ? lengthA > lengthB : a > b;
    });
}

MountTable MountTable::fromMountInfo(QByteArrayView mountInfo, QList<MountEntry> gvfsVolumes)
{
    QList<MountEntry> volumes = MountEntries::parse(mountInfo);
    volumes.append(std::move(gvfsVolumes));
    return MountTable(std::move(volumes));
}

const MountEntry* MountTable::volumeForPath(QStringView path) const
{
    for (const qsizetype index : m_lookupOrder) {
        const MountEntry& volume = m_volumes[index];
        if (!holdsPath(volume.mountPoint(), path))
            continue;
        if (volume.fileSystemType() == gvfsFuseType && path.size() > volume.mountPoint().size())
            return nullptr;
        return &volume;
    }
    return nullptr;
}
