#include "preferences/DriveMappingStorage.h"

#include <QJsonObject>

namespace DriveMappingStorage {
namespace {

std::optional<QString> stringEntry(const QJsonObject& element, const QString& key)
{
    const QJsonValue entry = element.value(key);
    if (!entry.isString())
        return std::nullopt;
    return entry.toString();
}

}

std::optional<KTDriveMapping> mappingFromStored(const QJsonValue& element)
{
    if (!element.isObject())
        return std::nullopt;
    const QJsonObject entries = element.toObject();
    KTDriveMapping mapping;
    mapping.setMapFrom(stringEntry(entries, driveLetterKey));
    // Only a stored share replaces the placeholder; a missing one leaves "Map To".
    if (std::optional<QString> mapTo = stringEntry(entries, driveNameKey))
        mapping.setMapTo(std::move(mapTo));
    return mapping;
}

std::optional<KTDriveMappingList> listFromStored(const QJsonValue& stored)
{
    if (!stored.isArray())
        return std::nullopt;
    KTDriveMappingList list;
    const QJsonArray elements = stored.toArray();
    for (const auto& element : elements) {
        if (std::optional<KTDriveMapping> mapping = mappingFromStored(element))
            list.append(std::move(*mapping));
    }
    return list;
}

QJsonArray storedFromList(const KTDriveMappingList& list)
{
    QJsonArray stored;
    for (const KTDriveMapping& mapping : list) {
        // A mapping without a drive letter could never match, so it is not stored,
        // just as one without a share.
        if (!mapping.mapFrom() || !mapping.mapTo())
            continue;
        stored.append(QJsonObject {
            {driveLetterKey, *mapping.mapFrom()},
            {driveNameKey, *mapping.mapTo()},
        });
    }
    return stored;
}

}
