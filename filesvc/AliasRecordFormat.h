#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// One tagged item of an alias record's extra data.
struct AliasRecordTag {
    qint16 tag = 0;
    QByteArray data;
};

// An alias record in the Alias Manager's classic layout: a fixed part, then tagged extra
// data up to an end tag. Version 2 records keep the volume and target names in the fixed
// part as Pascal strings; version 3 records (Mac OS X 10.5 and later) keep them only in
// the tags. Dates are seconds since 1904 (version 3: in 1/65536 seconds).
struct AliasRecord {
    // Tags of the extra data (Alias.h, with the Unicode and POSIX tags of Mac OS X).
    enum Tag : qint16 {
        ParentFolderName = 0,
        DirectoryIds = 1,
        AbsolutePath = 2,
        HighResolutionCreationDate = 17,
        UnicodeFileName = 14,
        UnicodeVolumeName = 15,
        PosixPath = 18,
        PosixMountPoint = 19,
        // Kestrova's own: the URL of the share the volume was mounted from
        // ("smb://server/share"), so that resolving can mount it again. The Alias
        // Manager skips tags it does not know.
        MountURL = 0x4B53,
        End = -1,
    };
    enum Kind : quint16 { File = 0, Folder = 1 };
    static constexpr quint16 kSignatureHFSPlus = 0x482B; // 'H+'

    quint32 userType = 0;
    quint16 version = 2;
    quint16 kind = File;
    QByteArray volumeName; // Mac Roman, at most 27 bytes
    quint32 volumeCreated = 0;
    quint16 volumeSignature = kSignatureHFSPlus;
    quint16 volumeType = 0; // 0 a fixed disk, 1 a network volume
    quint32 parentId = 0;
    QByteArray fileName; // Mac Roman, at most 63 bytes
    quint32 fileId = 0;
    quint32 fileCreated = 0;
    quint32 fileType = 0;
    quint32 fileCreator = 0;
    quint16 levelsFrom = 0xFFFF;
    quint16 levelsTo = 0xFFFF;
    quint32 volumeAttributes = 0;
    quint16 volumeFileSystemId = 0;
    QList<AliasRecordTag> tags;

    std::optional<QByteArray> tagData(qint16 tag) const;
    // A Unicode name tag: a count of UTF-16 units, then the units, big-endian.
    std::optional<QString> unicodeTag(qint16 tag) const;
    void setTag(qint16 tag, QByteArray data);
    void setUnicodeTag(qint16 tag, const QString& text);
};

namespace AliasRecordFormat {

inline constexpr qsizetype kVolumeNameMax = 27;
inline constexpr qsizetype kFileNameMax = 63;

// Reads a record of version 2 or 3. Fails for another version, a size field larger than
// the bytes, a fixed part cut short, or a tag that runs past the record's end.
Result<AliasRecord> parse(QByteArrayView bytes);

// Writes a version 2 record. Fails when a tag or the whole record is larger than the
// format's 16-bit lengths allow.
Result<QByteArray> serialize(const AliasRecord& record);

}
