#include "shortcut/HVWindowsShortcut.h"

#include "platform/FileDescriptor.h"
#include "platform/FileNames.h"
#include "platform/FileProblems.h"
#include "shortcut/ByteReader.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Most shortcuts are a few kilobytes; larger ones are read into a growing buffer.
constexpr qsizetype kStackBufferSize = qsizetype(64) * 1024;

// One read(2): as many bytes as the file gives at once, or none on a read error.
std::optional<qsizetype> readOnce(int descriptor, char* buffer, qsizetype size)
{
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer, size_t(size));
        if (count >= 0)
            return count;
        if (errno != EINTR)
            return std::nullopt;
    }
}

// The whole file, given its first bytes: none on a read error or when it is larger than
// the limit (a device that never ends, such as /dev/zero, stops there too).
std::optional<QByteArray> readToEnd(int descriptor, QByteArrayView start, qint64 limit)
{
    QByteArray data = start.toByteArray();
    data.reserve(qMax(data.size() * 2, kStackBufferSize));
    for (;;) {
        if (data.size() == data.capacity())
            data.reserve(qMin(data.capacity() * 2, qsizetype(limit) + 1));
        const qsizetype filled = data.size();
        data.resize(data.capacity());
        const std::optional<qsizetype> count =
            readOnce(descriptor, data.data() + filled, data.size() - filled);
        if (!count)
            return std::nullopt;
        data.resize(filled + *count);
        if (data.size() > limit)
            return std::nullopt;
        if (*count == 0)
            return data;
    }
}
}

HVWindowsShortcut::HVWindowsShortcut(std::optional<DriveMappingList> driveMapping)
    : m_driveMapping(std::move(driveMapping))
{
}

std::unique_ptr<HVWindowsShortcut> HVWindowsShortcut::initWithContentsOfFile(
    const QString& path, std::optional<DriveMappingList> driveMapping)
{
    Result<std::unique_ptr<HVWindowsShortcut>> shortcut = readFile(path, std::move(driveMapping));
    return shortcut ? std::move(shortcut).value() : nullptr;
}

Result<std::unique_ptr<HVWindowsShortcut>> HVWindowsShortcut::readFile(
    const QString& path, std::optional<DriveMappingList> driveMapping)
{
    // Plain system calls: QFile would add two stat calls to the open and the reads,
    // and reading a file is most of the time spent on a shortcut. O_NONBLOCK keeps a
    // FIFO from blocking the open; it reads as an empty file.
    const FileDescriptor file(
        ::open(FileNames::encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen())
        return Failure {FileProblems::openProblem(path, errno)};
    char buffer[kStackBufferSize];
    const std::optional<qsizetype> count = readOnce(file.get(), buffer, kStackBufferSize);
    // The reason is found from the open file only once reading failed, and a file that
    // ended inside the first read is neither a folder nor too large: neither a shortcut
    // nor the half of a folder's files that are none cost a stat.
    const auto unreadable = [&file, &count] {
        if (count && *count < kStackBufferSize)
            return Failure {FileProblems::notAShortcut()};
        return Failure {FileProblems::unreadableShortcut(file.get(), kMaxFileSize)};
    };
    if (!count)
        return unreadable();
    // Most shortcuts end in a TerminalBlock inside the first read; what follows it is
    // never read, so there is no need to look for the end of the file.
    bool reachedEnd = false;
    std::unique_ptr<HVWindowsShortcut> shortcut =
        readContents(QByteArrayView(buffer, *count), driveMapping, reachedEnd);
    if (!reachedEnd)
        return shortcut ? Result(std::move(shortcut)) : unreadable();
    const std::optional<QByteArray> data =
        readToEnd(file.get(), QByteArrayView(buffer, *count), kMaxFileSize);
    if (!data)
        return unreadable();
    shortcut = readContents(*data, std::move(driveMapping), reachedEnd);
    return shortcut ? Result(std::move(shortcut)) : unreadable();
}

std::unique_ptr<HVWindowsShortcut> HVWindowsShortcut::initWithContentsOfData(
    QByteArrayView data, std::optional<DriveMappingList> driveMapping)
{
    bool reachedEnd = false;
    return readContents(data, std::move(driveMapping), reachedEnd);
}

std::unique_ptr<HVWindowsShortcut> HVWindowsShortcut::readContents(
    QByteArrayView data, std::optional<DriveMappingList> driveMapping, bool& reachedEnd)
{
    std::unique_ptr<HVWindowsShortcut> shortcut(new HVWindowsShortcut(std::move(driveMapping)));
    ByteReader file(data);
    const bool complete = shortcut->readHeaderSection(file) && shortcut->readIdListSection(file)
        && shortcut->readLinkInfoSection(file) && shortcut->readStringDataSection(file)
        && shortcut->readExtraDataSection(file);
    reachedEnd = file.reachedEnd();
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

QString ReadingProvenance::fieldName(Field field)
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
