#pragma once

#include "filesvc/AliasRecordFormat.h"
#include "filesvc/FinderInformation.h"
#include "filesvc/MountedVolumes.h"
#include "platform/Result.h"

#include <QString>

#include <optional>

// How a Linux item becomes an alias record, and how a record finds its item again.
namespace AliasRecordFacts {

// Flags of a resolution, as JLAlias keeps them.
inline constexpr quint64 kResolveWithoutUserInteraction = 0x1;
inline constexpr quint64 kTryFileIdFirst = 0x2;

// A version 2 record of the existing item at path, filled with the facts Linux has:
// the volume's name and mount point, the parent folder's and the item's inode numbers
// as folder and file numbers, birth times where the file system keeps them, the type and
// creator of the item's Finder information, the HFS-style, POSIX and Unicode names, and
// for an item on a mounted share the URL of the share (smb://server/share). With
// finderInfo, a file's Finder information as read for the record is kept there too (none
// for a folder, whose record takes none), so that a caller need not read it again.
Result<AliasRecord> recordForPath(const QString& path, const QList<MountedVolume>& volumes,
    std::optional<FinderInformation>* finderInfo = nullptr);

struct Resolution {
    QString path;
    // The item was found elsewhere than the record said (by its file number).
    bool moved = false;
};

// Finds the record's item: the volume first (mounting the record's share through
// AliasMounting when it is not mounted), then the item by its path and by its file
// number inside its last known folder, in the order the flags say.
Result<Resolution> resolve(const AliasRecord& record, quint64 mountFlags);

// The share URL the record keeps, when it names one of the four mount methods.
struct ShareLocation {
    QString share; // //server/share
    QString mountMethod;
};
std::optional<ShareLocation> shareOf(const AliasRecord& record);

// The absolute path the record keeps (mount point and POSIX path), else its HFS-style
// path as stored; none when it keeps neither.
std::optional<QString> storedPath(const AliasRecord& record);
// The target's and the volume's names: the Unicode tags, else the Pascal fields.
QString storedName(const AliasRecord& record);
QString storedVolumeName(const AliasRecord& record);

}
