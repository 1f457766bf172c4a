#pragma once

#include <QString>

namespace FolderListing {

// Whether the folder opens and gives its first entry (or says it has none) without an
// error. A FUSE folder of a share that was just mounted again answers EIO for a moment:
// one that can be listed has settled.
bool canList(const QString& folder);

}
