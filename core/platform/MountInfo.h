#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <sys/types.h>

#include <optional>

// The kernel's mount table in the format of /proc/self/mountinfo (proc(5)), one mount a
// line: ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE
// SUPER-OPTIONS.
namespace MountInfo {

// The fields of one line that Kestrova reads. The names are bytes as the kernel has them,
// with the escapes of the file replaced.
struct Line {
    int mountId = 0;
    dev_t device = 0;
    // The folder of the file system that is mounted, "/" for the whole of it.
    QByteArray root;
    QByteArray mountPoint;
    QByteArray fileSystemType;
    QByteArray source;
    // The file system's own options as written, comma-separated ("rw,vers=3.1.1,nounix").
    QByteArray superOptions;
};

// None for a line without the format: fields missing before the "-" separator or after
// it (type and source; the super options may be missing), an ID or device number that is
// no number, or a mount point that is no absolute path.
std::optional<Line> parseLine(QByteArrayView line);

// The lines of a mountinfo text that have the format, in its order.
QList<Line> parse(QByteArrayView mountInfo);

// The mountinfo text of this process's mount namespace; empty when it cannot be read.
QByteArray readCurrent();
inline constexpr char currentPath[] = "/proc/self/mountinfo";

// A name field with the escapes of mountinfo and fstab(5) (space, tab, newline and
// backslash written as \ooo) replaced by the bytes they stand for. A backslash not
// followed by three octal digits of a byte value stays as it is.
QByteArray unescapeField(QByteArrayView field);

}
