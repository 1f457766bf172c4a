#include "platform/FolderListing.h"

#include "platform/FileNames.h"

#include <dirent.h>

#include <cerrno>

namespace FolderListing {

bool canList(const QString& folder)
{
    DIR* directory = ::opendir(FileNames::encode(folder).constData());
    if (!directory)
        return false;
    errno = 0;
    const bool listed = ::readdir(directory) != nullptr || errno == 0;
    ::closedir(directory);
    return listed;
}

}
