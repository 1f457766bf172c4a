#include "filesvc/JLCarbonUtilities.h"

#include "filesvc/FSRef.h"

#include <QFile>

#include <sys/stat.h>

namespace JLCarbonUtilities {

std::optional<QString> stringWithFSRef(const FSRef& ref)
{
    struct stat status { };
    if (::stat(QFile::encodeName(ref.path()).constData(), &status) != 0)
        return std::nullopt;
    if (status.st_dev != ref.device() || status.st_ino != ref.inode())
        return std::nullopt;
    return ref.path();
}

}
