#include "platform/FileProblems.h"

#include "platform/FileDescriptor.h"
#include "platform/FileNames.h"

#include <fcntl.h>
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

QString unreadableShortcut(const QString& path, qint64 maximumSize)
{
    const QByteArray name = FileNames::encode(path);
    struct stat status { };
    if (::stat(name.constData(), &status) != 0)
        return errorText(errno);
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("a folder, not a shortcut");
    const FileDescriptor file(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen())
        return errorText(errno);
    if (S_ISREG(status.st_mode) && status.st_size > maximumSize)
        return QStringLiteral("too large for a shortcut (over %1 MiB)").arg(maximumSize >> 20);
    return QStringLiteral("not a Windows shortcut");
}

}
