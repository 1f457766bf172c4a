#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The content type (MIME type) of a file as the desktop sees it: shared-mime-info's
// globs and magic, read through GIO, so that it agrees with what file managers show
// and with the default applications of mimeapps.list.
namespace ContentType {

// How much of a file's start the guess looks at; the magic rules of shared-mime-info
// look no further in practice.
inline constexpr qsizetype kSniffLength = 4096;

// The first bytes of a regular file (at most maxLength); none for anything that is not
// a regular file or cannot be read. FIFOs and devices are never opened, so this
// cannot block or touch hardware.
std::optional<QByteArray> fileHead(const QString& path, qsizetype maxLength = kSniffLength);

// The content type of the item at path: "inode/directory" for a folder, "inode/fifo",
// "inode/socket", "inode/chardevice" or "inode/blockdevice" for special files, and
// otherwise the guess on the name and the first bytes. A path that does not exist is
// guessed on its name alone.
QString forFile(const QString& path);

// The guess on a name and the bytes the content starts with (which may be empty).
QString guess(const QString& fileName, const QByteArray& head);

// Whether type is the same as, or a subclass of, superType ("application/x-shellscript"
// is a "text/plain").
bool isA(const QString& type, const QString& superType);

// GIO's view: types whose files can be run when they are marked executable (programs
// and every text type, since a text file can be a script).
bool canBeExecutable(const QString& type);

}
