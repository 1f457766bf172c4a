#pragma once

#include "volumes/MountSourceURL.h"

#include <QByteArray>
#include <QString>

#include <optional>

// One mounted volume as the mount table names it: its file-system type, its mount
// source (//server/share for a network volume, a device or a name for a local one) and
// its mount point. The names are kept as the system gives them and decoded once here.
//
// Only the mount source has its percent escapes replaced: URLs write a space in a share
// name as %20. The mount point is a path, and a "%" in it is part of a folder's name,
// as in GVfs's folder smb-share:server=fs1,share=my%20files.
class MountEntry {
public:
    MountEntry(QString fileSystemType, QByteArray mountSource, QByteArray mountPoint);

    const QString& fileSystemType() const { return m_fileSystemType; }
    const QByteArray& rawMountSource() const { return m_rawMountSource; }
    const QByteArray& rawMountPoint() const { return m_rawMountPoint; }

    // The mount source decoded with MountNames::decode.
    const QString& mountSource() const { return m_mountSource; }
    // The mount point read as a file name.
    const QString& mountPoint() const { return m_mountPoint; }

    // The decoded mount source read as a URL, or none when it is no valid URL.
    const std::optional<MountSourceURL>& sourceURL() const { return m_sourceURL; }

private:
    QString m_fileSystemType;
    QByteArray m_rawMountSource;
    QByteArray m_rawMountPoint;
    QString m_mountSource;
    QString m_mountPoint;
    std::optional<MountSourceURL> m_sourceURL;
};
