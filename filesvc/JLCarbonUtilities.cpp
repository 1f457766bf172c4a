#include "filesvc/JLCarbonUtilities.h"

#include "filesvc/FinderInformation.h"
#include "filesvc/MacRoman.h"
#include "filesvc/MountedVolumes.h"
#include "platform/FileNames.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <cmath>
#include <cstring>

namespace {

// HFS names may hold "/" but not ":", POSIX names the other way round; macOS swaps the
// two between the path forms.
QString swapColonAndSlash(QString name)
{
    for (QChar& character : name) {
        if (character == QLatin1Char(':'))
            character = QLatin1Char('/');
        else if (character == QLatin1Char('/'))
            character = QLatin1Char(':');
    }
    return name;
}

qint16 truncatedCoordinate(double value)
{
    return qint16(std::clamp(std::trunc(value), -32768.0, 32767.0));
}

}

namespace JLCarbonUtilities {

std::optional<QString> stringWithFSRef(const FSRef& ref)
{
    struct stat status { };
    if (::stat(FileNames::encode(ref.path()).constData(), &status) != 0)
        return std::nullopt;
    if (status.st_dev != ref.device() || status.st_ino != ref.inode())
        return std::nullopt;
    return ref.path();
}

std::optional<FSRef> getFSRef(const QString& path)
{
    return FSRef::fromPath(path);
}

std::optional<QString> fileSystemPathHFSStyle(const QString& path)
{
    if (!QDir::isAbsolutePath(path))
        return std::nullopt;
    const QString clean = QDir::cleanPath(path);
    const std::optional<MountedVolume> volume =
        MountedVolumes::holding(MountedVolumes::current(), clean);
    if (!volume)
        return std::nullopt;
    const QString below = clean.sliced(volume->mountPoint.size());
    QStringList components {swapColonAndSlash(volume->name)};
    for (const QString& name : below.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        components.append(swapColonAndSlash(name));
    return components.size() == 1 ? components.first() + QLatin1Char(':')
                                  : components.join(QLatin1Char(':'));
}

std::optional<QString> pathFromFileSystemPathHFSStyle(const QString& hfsPath)
{
    QStringList components = hfsPath.split(QLatin1Char(':'));
    if (components.first().isEmpty())
        return std::nullopt;
    if (components.last().isEmpty())
        components.removeLast();
    const std::optional<MountedVolume> volume =
        MountedVolumes::named(MountedVolumes::current(), swapColonAndSlash(components.takeFirst()));
    if (!volume)
        return std::nullopt;
    QString path = volume->mountPoint;
    for (const QString& name : std::as_const(components)) {
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        path += swapColonAndSlash(name);
    }
    return path;
}

std::optional<QString> stringWithPascalString(QByteArrayView pascalString)
{
    if (pascalString.isEmpty() || quint8(pascalString.front()) >= pascalString.size())
        return std::nullopt;
    return MacRoman::decode(pascalString.sliced(1, quint8(pascalString.front())));
}

bool getPascalString(const QString& text, std::span<char> buffer)
{
    const std::optional<QByteArray> encoded = MacRoman::encode(text);
    if (!encoded || encoded->size() > 255 || qsizetype(buffer.size()) < encoded->size() + 1)
        return false;
    buffer[0] = char(encoded->size());
    std::memcpy(buffer.data() + 1, encoded->constData(), size_t(encoded->size()));
    return true;
}

std::optional<QByteArray> pascalString(const QString& text)
{
    QByteArray buffer(kPascalStringBufferSize, '\0');
    if (!getPascalString(text, std::span<char>(buffer.data(), size_t(buffer.size()))))
        return std::nullopt;
    return buffer;
}

QString trimWhitespace(const QString& text)
{
    return text.trimmed();
}

bool finderInfoFlags(const QString& path, quint16* flags, quint32* type, quint32* creator)
{
    const Result<FinderInformation> info = FinderInformation::read(path);
    if (!info)
        return false;
    if (flags)
        *flags = info->flags;
    if (type)
        *type = info->type;
    if (creator)
        *creator = info->creator;
    return true;
}

QPointF finderLocation(const QString& path)
{
    const Result<FinderInformation> info = FinderInformation::read(path);
    if (!info)
        return {};
    return QPointF(info->horizontal, info->vertical);
}

bool setFinderInfoFlags(
    const QString& path, quint16 flags, quint16 mask, quint32 type, quint32 creator)
{
    return FinderInformation::update(path, [&](FinderInformation& info) {
        info.flags =
            quint16(((info.flags & ~mask) | (flags & mask)) & ~FinderInformation::HasBeenInited);
        info.type = type;
        info.creator = creator;
    }).ok();
}

bool setFinderLocation(const QString& path, QPointF location)
{
    return FinderInformation::update(path, [&](FinderInformation& info) {
        info.horizontal = truncatedCoordinate(location.x());
        info.vertical = truncatedCoordinate(location.y());
    }).ok();
}

std::optional<QUrl> URLWithFSRef(const FSRef& ref)
{
    const std::optional<QString> path = stringWithFSRef(ref);
    if (!path)
        return std::nullopt;
    return QUrl::fromLocalFile(*path);
}

std::optional<QUrl> URLWithFileSystemPathHFSStyle(const QString& hfsPath)
{
    const std::optional<QString> path = pathFromFileSystemPathHFSStyle(hfsPath);
    if (!path)
        return std::nullopt;
    const bool folder = hfsPath.endsWith(QLatin1Char(':')) && !path->endsWith(QLatin1Char('/'));
    return QUrl::fromLocalFile(folder ? *path + QLatin1Char('/') : *path);
}

std::optional<FSRef> getFSRef(const QUrl& url)
{
    if (!url.isLocalFile())
        return std::nullopt;
    return FSRef::fromPath(url.toLocalFile());
}

std::optional<QUrl> URLByDeletingLastPathComponent(const QUrl& url)
{
    if (!url.isValid() || url.path().isEmpty())
        return std::nullopt;
    return url.adjusted(QUrl::StripTrailingSlash).adjusted(QUrl::RemoveFilename);
}

std::optional<QString> fileSystemPathHFSStyle(const QUrl& url)
{
    if (!url.isLocalFile())
        return std::nullopt;
    return fileSystemPathHFSStyle(url.toLocalFile());
}

bool finderInfoFlags(const QUrl& url, quint16* flags, quint32* type, quint32* creator)
{
    return url.isLocalFile() && finderInfoFlags(url.toLocalFile(), flags, type, creator);
}

QPointF finderLocation(const QUrl& url)
{
    return url.isLocalFile() ? finderLocation(url.toLocalFile()) : QPointF();
}

bool setFinderInfoFlags(const QUrl& url, quint16 flags, quint16 mask, quint32 type, quint32 creator)
{
    return url.isLocalFile() && setFinderInfoFlags(url.toLocalFile(), flags, mask, type, creator);
}

bool setFinderLocation(const QUrl& url, QPointF location)
{
    return url.isLocalFile() && setFinderLocation(url.toLocalFile(), location);
}

}

namespace {

bool hasFlag(const QString& path, quint16 flag)
{
    quint16 flags = 0;
    return JLCarbonUtilities::finderInfoFlags(path, &flags, nullptr, nullptr)
        && (flags & flag) != 0;
}

bool setFlag(const QString& path, quint16 flag, bool value)
{
    return FinderInformation::update(path, [&](FinderInformation& info) {
        info.flags = quint16(value ? info.flags | flag : info.flags & ~flag);
        info.flags &= quint16(~FinderInformation::HasBeenInited);
    }).ok();
}

}

namespace JLCarbonUtilitiesFinderInfoFlags {

bool hasCustomIconFinderInfoFlag(const QString& path)
{
    return hasFlag(path, FinderInformation::HasCustomIcon);
}
bool isStationeryFinderInfoFlag(const QString& path)
{
    return hasFlag(path, FinderInformation::IsStationery);
}
bool hasNameLockedFinderInfoFlag(const QString& path)
{
    return hasFlag(path, FinderInformation::NameLocked);
}
bool hasBundleFinderInfoFlag(const QString& path)
{
    return hasFlag(path, FinderInformation::HasBundle);
}
bool isInvisibleFinderInfoFlag(const QString& path)
{
    return hasFlag(path, FinderInformation::IsInvisible);
}
bool isAliasFinderInfoFlag(const QString& path)
{
    return hasFlag(path, FinderInformation::IsAlias);
}

bool setHasCustomIconFinderInfoFlag(const QString& path, bool value)
{
    return setFlag(path, FinderInformation::HasCustomIcon, value);
}
bool setIsStationeryFinderInfoFlag(const QString& path, bool value)
{
    return setFlag(path, FinderInformation::IsStationery, value);
}
bool setHasNameLockedFinderInfoFlag(const QString& path, bool value)
{
    return setFlag(path, FinderInformation::NameLocked, value);
}
bool setHasBundleFinderInfoFlag(const QString& path, bool value)
{
    return setFlag(path, FinderInformation::HasBundle, value);
}
bool setIsInvisibleFinderInfoFlag(const QString& path, bool value)
{
    return setFlag(path, FinderInformation::IsInvisible, value);
}
bool setIsAliasFinderInfoFlag(const QString& path, bool value)
{
    return setFlag(path, FinderInformation::IsAlias, value);
}

}

namespace JLCarbonUtilitiesInfoFlags {

bool hasCustomIcon(const QUrl& url)
{
    return url.isLocalFile() && hasFlag(url.toLocalFile(), FinderInformation::HasCustomIcon);
}

}
