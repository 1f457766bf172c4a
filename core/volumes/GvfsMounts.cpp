#include "volumes/GvfsMounts.h"

#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"

#include <algorithm>

namespace GvfsMounts {
namespace {

// smb://kestrova@fs1/projects/ gives //kestrova@fs1/projects.
QByteArray shareOfRootURI(const QByteArray& uri)
{
    const qsizetype colon = uri.indexOf(':');
    QByteArray share = colon < 0 ? uri : uri.mid(colon + 1);
    if (share.size() > 2 && share.endsWith('/'))
        share.chop(1);
    return share;
}

}

std::optional<MountEntry> entryForMount(GMount* mount)
{
    const auto root = GObjectRef<GFile>::adopt(g_mount_get_root(mount));
    if (!root || g_file_is_native(root.get()))
        return std::nullopt;
    const GCharPtr path(g_file_get_path(root.get()));
    const GCharPtr uri(g_file_get_uri(root.get()));
    const GCharPtr scheme(g_file_get_uri_scheme(root.get()));
    if (!path || !uri)
        return std::nullopt;
    return MountEntry(QStringLiteral("gvfs.") + QString::fromUtf8(scheme ? scheme.get() : ""),
        shareOfRootURI(QByteArray(uri.get())), QByteArray(path.get()));
}

QList<MountEntry> entries(GVolumeMonitor* monitor)
{
    QList<MountEntry> shares;
    GList* mounts = g_volume_monitor_get_mounts(monitor);
    for (GList* item = mounts; item; item = item->next) {
        if (std::optional<MountEntry> entry = entryForMount(static_cast<GMount*>(item->data)))
            shares.append(std::move(*entry));
    }
    g_list_free_full(mounts, g_object_unref);
    std::sort(shares.begin(), shares.end(),
        [](const MountEntry& a, const MountEntry& b) { return a.mountPoint() < b.mountPoint(); });
    return shares;
}

}
