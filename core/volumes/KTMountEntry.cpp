#include "volumes/KTMountEntry.h"

#include "volumes/KTMountNames.h"

KTMountEntry::KTMountEntry(QString fileSystemType, QByteArray mountSource, QByteArray mountPoint)
    : m_fileSystemType(std::move(fileSystemType))
    , m_rawMountSource(std::move(mountSource))
    , m_rawMountPoint(std::move(mountPoint))
    , m_mountSource(KTMountNames::decode(m_rawMountSource))
    , m_mountPoint(KTMountNames::fileName(m_rawMountPoint))
    , m_sourceURL(KTMountSourceURL::parse(m_mountSource))
{
}
