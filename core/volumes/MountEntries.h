#pragma once

#include "volumes/MountEntry.h"

#include <QByteArrayView>
#include <QList>

// The kernel's mount table in the format of /proc/self/mountinfo (proc(5)).
namespace MountEntries {

// The mounts of a mountinfo text in its order. A network mount gets the share form of
// its source: cifs and smb3 sources read //server/share with forward slashes, and an nfs
// source server:/path reads //server/path. Lines that do not have the format are skipped.
QList<MountEntry> parse(QByteArrayView mountInfo);

}
