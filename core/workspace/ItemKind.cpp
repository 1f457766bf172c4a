#include "workspace/ItemKind.h"

#include "platform/FileNames.h"
#include "platform/GLibPtr.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <sys/vfs.h>

namespace ItemKindOf {
namespace {

constexpr long kFuseMagic = 0x65735546;

std::optional<struct stat> statOf(const QString& path)
{
    struct stat status { };
    if (::stat(FileNames::encode(path).constData(), &status) != 0)
        return std::nullopt;
    return status;
}

bool isPackageName(const QString& name)
{
    static const char* const extensions[] = {".app", ".bundle", ".framework", ".plugin"};
    for (const char* extension : extensions) {
        if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool isFuse(const QString& path)
{
    struct statfs fileSystem { };
    return ::statfs(FileNames::encode(path).constData(), &fileSystem) == 0
        && fileSystem.f_type == kFuseMagic;
}

bool isKernelMountPoint(const QString& path, const struct stat& status)
{
    const std::optional<struct stat> parent = statOf(path + QStringLiteral("/.."));
    if (!parent)
        return false;
    // The root is its own parent; any other mount point sits on another device.
    return parent->st_dev != status.st_dev
        || (parent->st_dev == status.st_dev && parent->st_ino == status.st_ino);
}

// GVfs puts every share it mounts in one FUSE folder ($XDG_RUNTIME_DIR/gvfs), one folder
// a share; each share counts as a volume of its own.
bool isGvfsShare(const QString& path)
{
    const QString parent = QFileInfo(path).absolutePath();
    const std::optional<struct stat> parentStatus = statOf(parent);
    return QFileInfo(parent).fileName() == QLatin1String("gvfs") && parentStatus
        && isKernelMountPoint(parent, *parentStatus) && isFuse(parent);
}

bool isApplicationEntry(const QString& path)
{
    if (!path.endsWith(QLatin1String(".desktop")))
        return false;
    const GKeyFilePtr entry(g_key_file_new());
    if (!g_key_file_load_from_file(
            entry.get(), FileNames::encode(path).constData(), G_KEY_FILE_NONE, nullptr))
        return false;
    const GCharPtr type(g_key_file_get_string(entry.get(), "Desktop Entry", "Type", nullptr));
    return g_strcmp0(type.get(), "Application") == 0;
}

}

std::optional<ItemKinds> path(const QString& path)
{
    const std::optional<struct stat> status = statOf(path);
    if (!status)
        return std::nullopt;
    ItemKinds kinds;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (S_ISDIR(status->st_mode)) {
        kinds |= ItemKind::Container;
        if (isPackageName(QFileInfo(absolute).fileName()))
            kinds |= ItemKind::Package;
        if (isKernelMountPoint(absolute, *status) || isGvfsShare(absolute))
            kinds |= ItemKind::Volume;
    } else if (S_ISREG(status->st_mode)) {
        kinds |= ItemKind::PlainFile;
        if ((status->st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0 || isApplicationEntry(absolute))
            kinds |= ItemKind::Application;
    }
    return kinds;
}

}
