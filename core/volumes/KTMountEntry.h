#pragma once

#include "volumes/KTMountSourceURL.h"

#include <QByteArray>
#include <QString>

#include <optional>

// One mounted volume as the mount table names it: its file-system type, its mount
// source (//server/share for a network volume, a device or a name for a local one) and
// its mount point. The names are kept as the system gives them and decoded once here.
class KTMountEntry {
public:
    KTMountEntry(QString fileSystemType, QByteArray mountSource, QByteArray mountPoint);

    const QString& fileSystemType() const { return m_fileSystemType; }
    const QByteArray& rawMountSource() const { return m_rawMountSource; }
    const QByteArray& rawMountPoint() const { return m_rawMountPoint; }

    // Both names decoded with KTMountNames::decode.
    const QString& mountSource() const { return m_mountSource; }
    const QString& mountPoint() const { return m_mountPoint; }

    // The mount point as the paths below it begin: the file name without percent
    // decoding, which would change it.
    const QString& mountPointPath() const { return m_mountPointPath; }

    // The decoded mount source read as a URL, or none when it is no valid URL.
    const std::optional<KTMountSourceURL>& sourceURL() const { return m_sourceURL; }

private:
    QString m_fileSystemType;
    QByteArray m_rawMountSource;
    QByteArray m_rawMountPoint;
    QString m_mountSource;
    QString m_mountPoint;
    QString m_mountPointPath;
    std::optional<KTMountSourceURL> m_sourceURL;
};
