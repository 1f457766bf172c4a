#pragma once

#include "volumes/MountEntry.h"

#include <QList>

#include <gio/gio.h>

#include <optional>

// GVfs's mounts as mount-table entries. Each GVfs share is a volume of its own: its
// mount point is its folder below GVfs's FUSE folder and its mount source is the share
// part of its root URI, //[user@]server/share.
namespace GvfsMounts {

// The entry of one mount, or none for a mount that is no GVfs share (a kernel mount,
// which the kernel's table lists) or that has no FUSE folder.
std::optional<MountEntry> entryForMount(GMount* mount);

// The GVfs shares the monitor knows of, ordered by mount point.
QList<MountEntry> entries(GVolumeMonitor* monitor);

}
