#include "preferences/KTDriveMapping.h"

KTDriveMapping::KTDriveMapping()
    : m_mapFrom(QStringLiteral("Map From"))
    , m_mapTo(QStringLiteral("Map To"))
{
}

KTDriveMapping::KTDriveMapping(std::optional<QString> mapFrom, std::optional<QString> mapTo)
    : m_mapFrom(std::move(mapFrom))
    , m_mapTo(std::move(mapTo))
{
}
