#pragma once

#include <QFlags>
#include <QString>

#include <optional>

// The kinds of item Launch Services distinguishes, with its flag values, as they
// apply on Linux:
// - PlainFile: a regular file;
// - Package: a folder whose name ends in a bundle extension (.app .bundle .framework
//   .plugin);
// - Application: a regular file with an execute bit, or a desktop entry (.desktop) of
//   Type=Application;
// - Container: a folder;
// - Volume: a mount point: the root, a folder on another device than its parent, or a
//   share folder directly inside a GVfs FUSE folder.
enum class ItemKind : quint32 {
    PlainFile = 0x1,
    Package = 0x2,
    Application = 0x4,
    Container = 0x8,
    Volume = 0x1000,
};
Q_DECLARE_FLAGS(ItemKinds, ItemKind)
Q_DECLARE_OPERATORS_FOR_FLAGS(ItemKinds)

namespace ItemKindOf {

// The kinds of the item at path (symbolic links followed); none when it does not exist.
std::optional<ItemKinds> path(const QString& path);

}
