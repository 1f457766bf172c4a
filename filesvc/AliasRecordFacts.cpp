#include "filesvc/AliasRecordFacts.h"

#include "filesvc/AliasMounting.h"
#include "filesvc/BigEndianWriter.h"
#include "filesvc/FinderInformation.h"
#include "filesvc/MacRoman.h"
#include "platform/FileNames.h"
#include "platform/FolderListing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Seconds from 1904-01-01, the Mac epoch, to 1970-01-01.
constexpr qint64 kMacEpochOffset = 2082844800;
const QStringList kMountMethods {
    QStringLiteral("smb"), QStringLiteral("afp"), QStringLiteral("nfs"), QStringLiteral("cifs")};

struct ItemFacts {
    quint32 inode = 0;
    quint32 created = 0;
    // 48.16 fixed-point seconds since 1904, as the high-resolution date tags hold them;
    // 0 where the file system keeps no birth time.
    quint64 createdExactly = 0;
    bool folder = false;
};

// File numbers are 32 bits in the record: larger inode numbers keep their low half.
std::optional<ItemFacts> factsOf(const QString& path)
{
    struct statx status { };
    if (::statx(AT_FDCWD, FileNames::encode(path).constData(), 0, STATX_BASIC_STATS | STATX_BTIME,
            &status)
        != 0)
        return std::nullopt;
    ItemFacts facts;
    facts.inode = quint32(status.stx_ino);
    facts.folder = S_ISDIR(status.stx_mode);
    if (status.stx_mask & STATX_BTIME) {
        const qint64 seconds = status.stx_btime.tv_sec + kMacEpochOffset;
        if (seconds > 0 && seconds <= 0xFFFFFFFFLL) {
            facts.created = quint32(seconds);
            facts.createdExactly =
                (quint64(seconds) << 16) | (quint64(status.stx_btime.tv_nsec) * 65536 / 1000000000);
        }
    }
    return facts;
}

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

// As Mac OS X writes the path tag: the folder's HFS-style path with a trailing colon,
// a NUL, then the item's name ("Volume:folder:\0file").
QByteArray hfsPathTag(const MountedVolume& volume, const QString& below)
{
    QStringList components {swapColonAndSlash(volume.name)};
    for (const QString& name : below.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        components.append(swapColonAndSlash(name));
    const QString name = components.size() > 1 ? components.takeLast() : QString();
    return MacRoman::encodeLossy(components.join(QLatin1Char(':')) + QLatin1Char(':')) + '\0'
        + MacRoman::encodeLossy(name);
}

// The HFS-style path of a path tag, classic ("Volume:folder:file") or Mac OS X's.
QString hfsPathOfTag(const QByteArray& tag)
{
    QByteArray path = tag;
    return MacRoman::decode(path.replace('\0', QByteArray()));
}

QByteArray uint32Bytes(quint32 value)
{
    BigEndianWriter writer;
    writer.writeUInt32(value);
    return std::move(writer).bytes();
}

QByteArray uint64Bytes(quint64 value)
{
    BigEndianWriter writer;
    writer.writeUInt32(quint32(value >> 32));
    writer.writeUInt32(quint32(value));
    return std::move(writer).bytes();
}

void addTags(AliasRecord& record, const MountedVolume& volume, const QString& path,
    const ItemFacts& item, const ItemFacts& parent)
{
    const QString below =
        path.sliced(volume.mountPoint == QLatin1String("/") ? 0 : volume.mountPoint.size());
    const QString name = path == volume.mountPoint ? volume.name : QFileInfo(path).fileName();
    const QString parentName = QFileInfo(QFileInfo(path).absolutePath()).fileName();
    record.setTag(AliasRecord::ParentFolderName, MacRoman::encodeLossy(parentName));
    record.setTag(AliasRecord::DirectoryIds, uint32Bytes(parent.inode));
    record.setTag(AliasRecord::AbsolutePath, hfsPathTag(volume, below));
    if (item.createdExactly)
        record.setTag(AliasRecord::HighResolutionCreationDate, uint64Bytes(item.createdExactly));
    record.setUnicodeTag(AliasRecord::UnicodeFileName, name);
    record.setUnicodeTag(AliasRecord::UnicodeVolumeName, volume.name);
    record.setTag(
        AliasRecord::PosixPath, FileNames::encode(below.isEmpty() ? QStringLiteral("/") : below));
    record.setTag(AliasRecord::PosixMountPoint, FileNames::encode(volume.mountPoint));
    if (volume.share)
        record.setTag(AliasRecord::MountURL,
            (volume.mountMethod + QLatin1Char(':') + *volume.share).toUtf8());
}

QString joined(const QString& mountPoint, const QString& below)
{
    if (below.isEmpty() || below == QLatin1String("/"))
        return mountPoint;
    return QDir::cleanPath(mountPoint + QLatin1Char('/') + below);
}

Result<QString> volumeMountPoint(const AliasRecord& record, quint64 mountFlags)
{
    const QList<MountedVolume> volumes = MountedVolumes::current();
    if (const std::optional<AliasRecordFacts::ShareLocation> share =
            AliasRecordFacts::shareOf(record)) {
        if (const std::optional<MountedVolume> mounted =
                MountedVolumes::showingShare(volumes, share->share))
            return mounted->mountPoint;
        const auto& mountShare = AliasMounting::shared().mountShare;
        const bool allowUserInteraction =
            (mountFlags & AliasRecordFacts::kResolveWithoutUserInteraction) == 0;
        if (const std::optional<QString> mountPoint = mountShare
                ? mountShare(share->share, share->mountMethod, allowUserInteraction)
                : std::nullopt)
            return *mountPoint;
        return Failure {share->share + QStringLiteral(" is not mounted and could not be mounted")};
    }
    if (const std::optional<QByteArray> mountPoint = record.tagData(AliasRecord::PosixMountPoint))
        return FileNames::decode(*mountPoint);
    if (const std::optional<MountedVolume> named =
            MountedVolumes::named(volumes, AliasRecordFacts::storedVolumeName(record)))
        return named->mountPoint;
    return Failure {QStringLiteral("the volume ") + AliasRecordFacts::storedVolumeName(record)
        + QStringLiteral(" is not mounted")};
}

// The path below the volume: the POSIX tag, else the HFS-style path without its volume.
std::optional<QString> pathBelowVolume(const AliasRecord& record)
{
    if (const std::optional<QByteArray> posix = record.tagData(AliasRecord::PosixPath))
        return FileNames::decode(*posix);
    const std::optional<QByteArray> hfs = record.tagData(AliasRecord::AbsolutePath);
    if (!hfs)
        return std::nullopt;
    QStringList components = hfsPathOfTag(*hfs).split(QLatin1Char(':'));
    components.removeFirst();
    for (QString& name : components)
        name = swapColonAndSlash(name);
    return QLatin1Char('/') + components.join(QLatin1Char('/'));
}

// A file number is reused once its file is gone: a match counts only when the kind and,
// where both are known, the birth time agree too.
bool isSameItem(const AliasRecord& record, const ItemFacts& candidate)
{
    if (candidate.inode != record.fileId
        || candidate.folder != (record.kind == AliasRecord::Folder))
        return false;
    const std::optional<QByteArray> exact = record.tagData(AliasRecord::HighResolutionCreationDate);
    if (exact && exact->size() == 8 && candidate.createdExactly)
        return qFromBigEndian<quint64>(exact->constData()) == candidate.createdExactly;
    return !record.fileCreated || !candidate.created || record.fileCreated == candidate.created;
}

std::optional<QString> findByFileNumber(const QString& folder, const AliasRecord& record)
{
    for (const QString& name : FolderListing::names(folder)) {
        const QString candidate =
            folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
        const std::optional<ItemFacts> facts = factsOf(candidate);
        if (facts && isSameItem(record, *facts))
            return candidate;
    }
    return std::nullopt;
}

}

namespace AliasRecordFacts {

Result<AliasRecord> recordForPath(const QString& path, const QList<MountedVolume>& volumes,
    std::optional<FinderInformation>* finderInfo)
{
    const std::optional<ItemFacts> item = factsOf(path);
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::optional<MountedVolume> volume = MountedVolumes::holding(volumes, absolute);
    const std::optional<ItemFacts> parent = factsOf(QFileInfo(absolute).absolutePath());
    if (!item || !volume || !parent)
        return Failure {path + QStringLiteral(": no such file or folder")};
    AliasRecord record;
    record.kind = item->folder ? AliasRecord::Folder : AliasRecord::File;
    record.volumeName = MacRoman::encodeLossy(volume->name)
                            .first(qMin(MacRoman::encodeLossy(volume->name).size(),
                                AliasRecordFormat::kVolumeNameMax));
    record.volumeCreated = factsOf(volume->mountPoint).value_or(ItemFacts()).created;
    record.volumeType = volume->share ? 1 : 0;
    record.parentId = parent->inode;
    const QByteArray name = MacRoman::encodeLossy(
        absolute == volume->mountPoint ? volume->name : QFileInfo(absolute).fileName());
    record.fileName = name.first(qMin(name.size(), AliasRecordFormat::kFileNameMax));
    record.fileId = item->inode;
    record.fileCreated = item->created;
    if (!item->folder) {
        const Result<FinderInformation> info = FinderInformation::read(absolute);
        record.fileType = info ? info->type : 0;
        record.fileCreator = info ? info->creator : 0;
        if (finderInfo)
            *finderInfo = info ? std::optional<FinderInformation>(*info) : std::nullopt;
    }
    addTags(record, *volume, absolute, *item, *parent);
    return record;
}

Result<Resolution> resolve(const AliasRecord& record, quint64 mountFlags)
{
    Result<QString> mountPoint = volumeMountPoint(record, mountFlags);
    if (!mountPoint)
        return mountPoint.failure();
    const std::optional<QString> below = pathBelowVolume(record);
    if (!below)
        return Failure {QStringLiteral("the alias record keeps no path")};
    const QString byPath = joined(*mountPoint, *below);
    const auto findByPath = [&]() -> std::optional<QString> {
        return factsOf(byPath) ? std::optional<QString>(byPath) : std::nullopt;
    };
    const auto findById = [&]() -> std::optional<QString> {
        return record.fileId ? findByFileNumber(QFileInfo(byPath).absolutePath(), record)
                             : std::nullopt;
    };
    const bool idFirst = (mountFlags & kTryFileIdFirst) != 0;
    std::optional<QString> found = idFirst ? findById() : findByPath();
    if (!found)
        found = idFirst ? findByPath() : findById();
    if (!found)
        return Failure {byPath + QStringLiteral(": the alias's target is gone")};
    return Resolution {*found, *found != byPath};
}

std::optional<ShareLocation> shareOf(const AliasRecord& record)
{
    const std::optional<QByteArray> url = record.tagData(AliasRecord::MountURL);
    if (!url)
        return std::nullopt;
    const QString text = QString::fromUtf8(*url);
    const qsizetype colon = text.indexOf(QLatin1String("://"));
    if (colon <= 0 || !kMountMethods.contains(text.first(colon)))
        return std::nullopt;
    const QString share = text.sliced(colon + 1);
    const QStringList parts = share.sliced(2).split(QLatin1Char('/'));
    if (parts.size() < 2 || parts.contains(QString()))
        return std::nullopt;
    return ShareLocation {share, text.first(colon)};
}

std::optional<QString> storedPath(const AliasRecord& record)
{
    const std::optional<QByteArray> posix = record.tagData(AliasRecord::PosixPath);
    const std::optional<QByteArray> mountPoint = record.tagData(AliasRecord::PosixMountPoint);
    if (posix && mountPoint)
        return joined(FileNames::decode(*mountPoint), FileNames::decode(*posix));
    if (posix)
        return FileNames::decode(*posix);
    if (const std::optional<QByteArray> hfs = record.tagData(AliasRecord::AbsolutePath))
        return hfsPathOfTag(*hfs);
    return std::nullopt;
}

QString storedName(const AliasRecord& record)
{
    return record.unicodeTag(AliasRecord::UnicodeFileName)
        .value_or(MacRoman::decode(record.fileName));
}

QString storedVolumeName(const AliasRecord& record)
{
    return record.unicodeTag(AliasRecord::UnicodeVolumeName)
        .value_or(MacRoman::decode(record.volumeName));
}

}
