#pragma once

#include "workspace/TargetFacts.h"

#include <QString>

#include <optional>

// The facts of an item inside a share that GVfs mounts, asked of the share's GVfs daemon
// through GIO: one query and one read. Through GVfs's FUSE folder the same facts cost a
// lookup of each folder of the path, a status, an open, a read and a release, each a round
// trip to the server once the kernel's cache of them has expired.
namespace GvfsTarget {

enum class Presence { Present, Absent, Unknown };

struct Look {
    // Unknown: GVfs does not serve the path, or the item there is neither a folder nor a
    // regular file, or could not be looked at; the caller asks the file system.
    Presence presence = Presence::Unknown;
    TargetFacts facts;
};

// Looks at the item at path, links followed, where the path lies in GVfs's FUSE folder.
Look look(const QString& path);

}
