#pragma once

#include "platform/GObjectRef.h"

#include <QString>

#include <gio/gio.h>

// Paths as GIO sees them. For a path in GVfs's FUSE folder GIO gives the file of the share
// the folder shows, which is not native: asked through it, GIO goes to the share's GVfs
// daemon instead of through the FUSE folder.
namespace GvfsPath {

// The GFile of a path, the name's bytes as they are.
GObjectRef<GFile> fileFor(const QString& path);

// Whether the path lies in GVfs's FUSE folder, in a share that GVfs serves.
bool isServed(const QString& path);

}
