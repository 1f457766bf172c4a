#pragma once

#include <QString>
#include <QStringList>

namespace FolderListing {

// Whether the folder opens and gives its first entry (or says it has none) without an
// error. A FUSE folder of a share that was just mounted again answers EIO for a moment:
// one that can be listed has settled.
bool canList(const QString& folder);

// The names in the folder, "." and ".." left out, each decoded byte-exactly (FileNames), so
// that a Latin-1 name still opens its file; sorted, so that of two links to one file the
// same one comes first every time. Empty when the folder cannot be listed.
QStringList names(const QString& folder);

}
