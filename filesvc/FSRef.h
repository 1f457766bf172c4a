#pragma once

#include <QString>

#include <sys/types.h>

#include <optional>

// A reference to an existing file-system item: its absolute path together with the
// device and inode numbers the item had when the reference was made. The numbers let a
// holder tell later whether the path still names the same item.
class FSRef {
public:
    // The reference of the item at path (symbolic links followed, a relative path taken
    // from the current folder), or none when no item is there.
    static std::optional<FSRef> fromPath(const QString& path);

    const QString& path() const { return m_path; }
    dev_t device() const { return m_device; }
    ino_t inode() const { return m_inode; }

    friend bool operator==(const FSRef&, const FSRef&) = default;

private:
    FSRef(QString path, dev_t device, ino_t inode);

    QString m_path;
    dev_t m_device;
    ino_t m_inode;
};
