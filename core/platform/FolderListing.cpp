#include "platform/FolderListing.h"

#include "platform/FileNames.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>

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

QStringList names(const QString& folder)
{
    QStringList found;
    DIR* directory = ::opendir(FileNames::encode(folder).constData());
    if (!directory)
        return found;
    while (const dirent* entry = ::readdir(directory)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            found << FileNames::decode(entry->d_name);
    }
    ::closedir(directory);
    found.sort();
    return found;
}

}
