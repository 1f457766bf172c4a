#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QByteArrayView>

// The parts of an AppleDouble version 2 file (RFC 1740) that Kestrova reads and writes:
// the Finder information (entry 9) and the resource fork (entry 2). macOS writes such a
// file as the sidecar "._NAME" of a file on a foreign file system, and Samba's vfs_fruit
// serves it to Mac clients as the file's AFP_AfpInfo and AFP_Resource streams.
struct AppleDoubleFile {
    static constexpr qsizetype kFinderInfoSize = 32;

    // The classic Finder information: type, creator, flags, location (16 bytes), then
    // the extended Finder information (16 bytes). Always kFinderInfoSize bytes.
    QByteArray finderInfo = QByteArray(kFinderInfoSize, '\0');
    // What the Finder-info entry holds after those 32 bytes: macOS puts two bytes of
    // padding and an extended-attribute area ("ATTR") there. Kept as it was read, so that
    // rewriting a sidecar loses none of its attributes; empty for a new sidecar.
    QByteArray finderInfoTail;
    QByteArray resourceFork;
    // The 16 filler bytes of the header: "Mac OS X        " from macOS, "Netatalk        "
    // once Samba has rewritten the file. Kept as read.
    QByteArray filler;
    // False when the file holds entries other than these two: writing it again would
    // lose them, so such a sidecar is read but never replaced.
    bool rewritable = true;
};

namespace AppleDouble {

// A resource fork larger than this is refused: no alias file comes near it.
inline constexpr qsizetype kMaxResourceForkSize = qsizetype(16) * 1024 * 1024;
// The extended attributes macOS keeps in the Finder-info entry are limited too.
inline constexpr qsizetype kMaxFinderInfoEntrySize = qsizetype(1024) * 1024;
inline constexpr qsizetype kMaxFileSize = kMaxResourceForkSize + kMaxFinderInfoEntrySize + 4096;

// The Finder-info entry's length in the files macOS makes: 32 bytes, padding and an
// empty "ATTR" area, so that the fork starts at 3810.
inline constexpr quint32 kMacFinderInfoEntryLength = 3760;

// Reads an AppleDouble file. Fails for another format, a version other than 2, an entry
// outside the file, two entries of the same kind, a Finder-info entry shorter than 32
// bytes, or a part larger than its limit.
Result<AppleDoubleFile> parse(QByteArrayView bytes);

// The file in the two-entry form macOS writes on foreign disks and Samba accepts: the
// Finder-info entry first at offset 50, the fork entry last. A file read keeps its
// Finder-info entry's length and its filler; a new one gets macOS's 3760-byte entry
// with an empty attribute area and the filler "Mac OS X        ".
QByteArray serialize(const AppleDoubleFile& file);

}
