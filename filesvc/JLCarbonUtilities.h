#pragma once

#include "filesvc/FSRef.h"

#include <QByteArray>
#include <QPointF>
#include <QString>
#include <QUrl>

#include <optional>
#include <span>

// Paths and URLs bridged to file-system references, HFS-style (colon-separated) paths,
// Pascal strings and the Finder information of files. The path forms take a POSIX path,
// the URL forms a file URL. Finder information is read from and written to the item's
// AppleDouble sidecar (see FinderInformation).
namespace JLCarbonUtilities {

// A Pascal string: a length byte and at most 255 bytes of Mac Roman text.
inline constexpr qsizetype kPascalStringBufferSize = 256;

// The path of the item a reference names, or none when that path no longer holds the
// same item (it was removed, or replaced by another one).
std::optional<QString> stringWithFSRef(const FSRef& ref);
std::optional<FSRef> getFSRef(const QString& path);

// "Volume:folder:file" for an absolute path: the name of the volume holding it, then
// the components below the volume's mount point; a ":" in a name is written as "/". The
// root of a volume is "Volume:". None for a relative path.
std::optional<QString> fileSystemPathHFSStyle(const QString& path);
// The POSIX path of an HFS-style path on a mounted volume (a trailing colon, which marks
// a folder, is dropped); none when no volume of that name is mounted or the path is
// relative.
std::optional<QString> pathFromFileSystemPathHFSStyle(const QString& hfsPath);

// When the item at path is an alias file: the path of its final target, chains of
// alias files followed. Otherwise, and on every failure, the path itself.
QString resolveAliasFile(const QString& path);

// None when the bytes are no Pascal string (empty, or a length past their end).
std::optional<QString> stringWithPascalString(QByteArrayView pascalString);
// Whether the text fits the buffer as a Pascal string; the buffer is written only then.
bool getPascalString(const QString& text, std::span<char> buffer);
// The text as a Pascal string in a 256-byte buffer; none when it does not fit or has a
// character without a Mac Roman form.
std::optional<QByteArray> pascalString(const QString& text);
QString trimWhitespace(const QString& text);

// True, and the values asked for, when the Finder information can be read.
bool finderInfoFlags(const QString& path, quint16* flags, quint32* type, quint32* creator);
// x is the horizontal, y the vertical position; (0, 0) on failure.
QPointF finderLocation(const QString& path);
// New flags = (old flags & ~mask | flags & mask) without the has-been-inited bit, so
// that file browsers look at the item afresh; type and creator are always written.
bool setFinderInfoFlags(
    const QString& path, quint16 flags, quint16 mask, quint32 type, quint32 creator);
// Each coordinate truncated toward zero to 16 bits.
bool setFinderLocation(const QString& path, QPointF location);

std::optional<QUrl> URLWithFSRef(const FSRef& ref);
// A folder URL (ending in "/") when the path ends in a colon.
std::optional<QUrl> URLWithFileSystemPathHFSStyle(const QString& hfsPath);
std::optional<FSRef> getFSRef(const QUrl& url);
std::optional<QUrl> URLByDeletingLastPathComponent(const QUrl& url);
std::optional<QString> fileSystemPathHFSStyle(const QUrl& url);
// The URL of the final target of an alias file, the URL itself for any other item,
// none when resolving fails (the item does not exist, or the alias does not resolve).
std::optional<QUrl> resolveAliasFile(const QUrl& url);
bool finderInfoFlags(const QUrl& url, quint16* flags, quint32* type, quint32* creator);
QPointF finderLocation(const QUrl& url);
bool setFinderInfoFlags(
    const QUrl& url, quint16 flags, quint16 mask, quint32 type, quint32 creator);
bool setFinderLocation(const QUrl& url, QPointF location);

}

// One getter and one setter for each Finder flag. A getter is true only when the
// Finder information can be read and the flag is set; a setter sets or clears its flag
// and keeps the item's type, creator and other flags.
namespace JLCarbonUtilitiesFinderInfoFlags {

bool hasCustomIconFinderInfoFlag(const QString& path);
bool isStationeryFinderInfoFlag(const QString& path);
bool hasNameLockedFinderInfoFlag(const QString& path);
bool hasBundleFinderInfoFlag(const QString& path);
bool isInvisibleFinderInfoFlag(const QString& path);
bool isAliasFinderInfoFlag(const QString& path);

bool setHasCustomIconFinderInfoFlag(const QString& path, bool value);
bool setIsStationeryFinderInfoFlag(const QString& path, bool value);
bool setHasNameLockedFinderInfoFlag(const QString& path, bool value);
bool setHasBundleFinderInfoFlag(const QString& path, bool value);
bool setIsInvisibleFinderInfoFlag(const QString& path, bool value);
bool setIsAliasFinderInfoFlag(const QString& path, bool value);

}

namespace JLCarbonUtilitiesInfoFlags {

bool hasCustomIcon(const QUrl& url);

}
