#include "platform/FileProblems.h"

#include "platform/FileNames.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace FileProblems {
namespace {

QString errorText(int error)
{
    if (error == ENOENT)
        return QStringLiteral("no such file");
    return QString::fromLocal8Bit(std::strerror(error)).toLower();
}

}

std::optional<QString> lookupProblem(const QString& path)
{
    struct stat status { };
    if (::stat(FileNames::encode(path).constData(), &status) != 0)
        return errorText(errno);
    return std::nullopt;
}

QString openProblem(const QString& path, int error)
{
    struct stat status { };
    if (::stat(FileNames::encode(path).constData(), &status) != 0)
        return errorText(errno);
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("a folder, not a shortcut");
    return errorText(error);
}

QString unreadableShortcut(int descriptor, qint64 maximumSize)
{
    struct stat status { };
    if (::fstat(descriptor, &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return QStringLiteral("a folder, not a shortcut");
        if (S_ISREG(status.st_mode) && status.st_size > maximumSize)
            return QStringLiteral("too large for a shortcut (over %1 MiB)").arg(maximumSize >> 20);
    }
    return notAShortcut();
}

QString notAShortcut()
{
    return QStringLiteral("not a Windows shortcut");
}

}
