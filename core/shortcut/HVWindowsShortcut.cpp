#include "shortcut/HVWindowsShortcut.h"

#include "shortcut/HVByteReader.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Most shortcuts are a few kilobytes; larger ones are read into a growing buffer.
constexpr qsizetype kStackBufferSize = qsizetype(64) * 1024;

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor)
    {
    }
    ~FileDescriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

// Fills the buffer from the file; the count read, or none on a read error.
std::optional<qsizetype> readInto(int descriptor, char* buffer, qsizetype size)
{
    qsizetype filled = 0;
    while (filled < size) {
        const ssize_t count = ::read(descriptor, buffer + filled, size_t(size - filled));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        filled += count;
    }
    return filled;
}

// The rest of a file too large for the stack buffer, up to the limit (a device that
// never ends, such as /dev/zero, stops there too).
std::optional<QByteArray> readLargeFile(int descriptor, QByteArrayView start, qint64 limit)
{
    QByteArray data = start.toByteArray();
    for (;;) {
        const qsizetype filled = data.size();
        const qsizetype wanted = qMin(filled * 2, qsizetype(limit) + 1);
        data.resize(wanted);
        const std::optional<qsizetype> count =
            readInto(descriptor, data.data() + filled, wanted - filled);
        if (!count)
            return std::nullopt;
        data.resize(filled + *count);
        if (data.size() > limit)
            return std::nullopt;
        if (data.size() < wanted)
            return data;
    }
}

}

HVWindowsShortcut::HVWindowsShortcut(std::optional<KTDriveMappingList> driveMapping)
    : m_driveMapping(std::move(driveMapping))
{
}

std::unique_ptr<HVWindowsShortcut> HVWindowsShortcut::initWithContentsOfFile(
    const QString& path, std::optional<KTDriveMappingList> driveMapping)
{
    // Plain system calls: QFile would add two stat calls to the open and the reads,
    // and reading a file is most of the time spent on a shortcut. O_NONBLOCK keeps a
    // FIFO from blocking the open; it reads as an empty file.
    const FileDescriptor file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return nullptr;
    char buffer[kStackBufferSize];
    const std::optional<qsizetype> count = readInto(file.get(), buffer, kStackBufferSize);
    if (!count)
        return nullptr;
    if (*count < kStackBufferSize)
        return initWithContentsOfData(QByteArrayView(buffer, *count), std::move(driveMapping));
    const std::optional<QByteArray> data =
        readLargeFile(file.get(), QByteArrayView(buffer, *count), kMaxFileSize);
    if (!data)
        return nullptr;
    return initWithContentsOfData(*data, std::move(driveMapping));
}

std::unique_ptr<HVWindowsShortcut> HVWindowsShortcut::initWithContentsOfData(
    QByteArrayView data, std::optional<KTDriveMappingList> driveMapping)
{
    std::unique_ptr<HVWindowsShortcut> shortcut(new HVWindowsShortcut(std::move(driveMapping)));
    HVByteReader file(data);
    const bool complete = shortcut->readHeaderSection(file) && shortcut->readIdListSection(file)
        && shortcut->readLinkInfoSection(file) && shortcut->readStringDataSection(file)
        && shortcut->readExtraDataSection(file);
    if (!complete)
        return nullptr;
    return shortcut;
}

bool HVWindowsShortcut::setMountMethod(const QString& mountMethod)
{
    for (const char* method : {"smb", "afp", "nfs", "cifs"}) {
        if (mountMethod.compare(QLatin1String(method), Qt::CaseInsensitive) == 0) {
            m_mountMethod = mountMethod;
            return true;
        }
    }
    return false;
}

QString HVReadingProvenance::fieldName(Field field)
{
    switch (field) {
    case Field::None:
        return QStringLiteral("none");
    case Field::LocalBasePath:
        return QStringLiteral("LinkInfo.LocalBasePath");
    case Field::NetName:
        return QStringLiteral("CommonNetworkRelativeLink.NetName");
    case Field::NetNameUnicode:
        return QStringLiteral("CommonNetworkRelativeLink.NetNameUnicode");
    case Field::CommonPathSuffix:
        return QStringLiteral("LinkInfo.CommonPathSuffix");
    case Field::CommonPathSuffixUnicode:
        return QStringLiteral("LinkInfo.CommonPathSuffixUnicode");
    case Field::EnvironmentTargetUnicode:
        return QStringLiteral("EnvironmentVariableDataBlock.TargetUnicode");
    }
    return QStringLiteral("none");
}
