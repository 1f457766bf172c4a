#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

// Whether a file's execute bit was set by someone or is made up by the file system that
// shows the file. On an SMB share it is made up: the kernel's CIFS client gives every
// file its file_mode (0755 unless told otherwise) or, from Samba, the DOS archive
// attribute as the owner's execute bit, and GVfs's FUSE folder shows every file of an SMB
// share as rwx------. FAT file systems store no execute bit at all; theirs comes from the
// mount options.
//
// Everywhere else the bit counts, which errs on the side of calling a file a program:
// local Unix file systems; NFS, kernel or GVfs, which shows the modes the files have on
// the server; CIFS mounts with the Unix or POSIX extensions, which do too; GVfs backends
// other than SMB; and any file system that cannot be told.
namespace ExecuteBit {

// What tells the file systems apart, as /proc/self/mountinfo names it.
struct FileSystem {
    // "ext4", "cifs", "smb3", "vfat", "fuse.gvfsd-fuse", ...
    QString type;
    // The file system's own options, such as "vers=3.1.1" and "nounix" of a CIFS mount.
    QStringList superOptions;
    // Below GVfs's FUSE folder, the folder of the GVfs mount that holds the path, such as
    // "smb-share:server=fs1,share=projects"; empty elsewhere.
    QString gvfsMount;
};

bool meansSomethingOn(const FileSystem& fileSystem);
// The same for an item GVfs serves, by the URI scheme of its backend: "smb" for the
// mounts its FUSE folder names "smb-share:...", "sftp", "nfs", ...
bool meansSomethingOnGvfsBackend(const QString& uriScheme);

// meansSomethingOn(the file system that holds the existing item at path, symbolic links
// followed); true where that file system cannot be found out.
bool meansSomethingAt(const QString& path);
// The same for a caller that has just looked at the item: device is its st_dev, links
// followed. On a share every look is a round trip to the server.
bool meansSomethingAt(const QString& path, dev_t device);

}
