#include "platform/GvfsPath.h"

#include "platform/FileNames.h"

namespace GvfsPath {

GObjectRef<GFile> fileFor(const QString& path)
{
    return GObjectRef<GFile>::adopt(g_file_new_for_path(FileNames::encode(path).constData()));
}

bool isServed(const QString& path)
{
    return !g_file_is_native(fileFor(path).get());
}

}
