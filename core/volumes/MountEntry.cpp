#include "volumes/MountEntry.h"

#include "volumes/MountNames.h"

MountEntry::MountEntry(QString fileSystemType, QByteArray mountSource, QByteArray mountPoint)
    : m_fileSystemType(std::move(fileSystemType))
    , m_rawMountSource(std::move(mountSource))
    , m_rawMountPoint(std::move(mountPoint))
    , m_mountSource(MountNames::decode(m_rawMountSource))
    , m_mountPoint(MountNames::fileName(m_rawMountPoint))
    , m_sourceURL(MountSourceURL::parse(m_mountSource))
{
}
