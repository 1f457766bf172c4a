#include "workspace/ContentType.h"

#include "platform/FileDescriptor.h"
#include "platform/FileNames.h"
#include "platform/GLibPtr.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ContentType {
namespace {

std::optional<QString> specialFileType(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("inode/directory");
    if (S_ISFIFO(mode))
        return QStringLiteral("inode/fifo");
    if (S_ISSOCK(mode))
        return QStringLiteral("inode/socket");
    if (S_ISCHR(mode))
        return QStringLiteral("inode/chardevice");
    if (S_ISBLK(mode))
        return QStringLiteral("inode/blockdevice");
    return std::nullopt;
}

QByteArray readAtMost(int descriptor, qsizetype maxLength)
{
    QByteArray head(maxLength, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < maxLength) {
        const ssize_t got = ::read(descriptor, head.data() + filled, size_t(maxLength - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += got;
    }
    head.truncate(filled);
    return head;
}

}

std::optional<QByteArray> fileHead(const QString& path, qsizetype maxLength)
{
    const QByteArray encoded = FileNames::encode(path);
    // O_NONBLOCK: should the path have become a FIFO since the caller looked, opening it
    // must not wait for a writer.
    const FileDescriptor file(
        ::open(encoded.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.isOpen())
        return std::nullopt;
    struct stat status { };
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return readAtMost(file.get(), maxLength);
}

QString forFile(const QString& path)
{
    struct stat status { };
    if (::stat(FileNames::encode(path).constData(), &status) == 0) {
        if (std::optional<QString> special = specialFileType(status.st_mode))
            return *special;
    }
    return guess(path, fileHead(path).value_or(QByteArray()));
}

QString guess(const QString& fileName, const QByteArray& head)
{
    const QByteArray encodedName = FileNames::encode(fileName);
    const auto* data = reinterpret_cast<const guchar*>(head.isEmpty() ? nullptr : head.constData());
    GCharPtr type(g_content_type_guess(encodedName.constData(), data, gsize(head.size()), nullptr));
    GCharPtr mimeType(g_content_type_get_mime_type(type.get()));
    return QString::fromUtf8(mimeType ? mimeType.get() : type.get());
}

bool isA(const QString& type, const QString& superType)
{
    return g_content_type_is_a(type.toUtf8().constData(), superType.toUtf8().constData());
}

bool canBeExecutable(const QString& type)
{
    return g_content_type_can_be_executable(type.toUtf8().constData());
}

}
