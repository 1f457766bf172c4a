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

bool mapsDrive(const QJsonValue& element, const QString& from)
{
    const QJsonValue letter = element.toObject().value(driveLetterKey);
    return letter.isString() && letter.toString().compare(from, Qt::CaseInsensitive) == 0;
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

std::optional<DriveMappingList> listFromStored(const QJsonValue& stored)
{
    if (!stored.isArray())
        return std::nullopt;
    DriveMappingList list;
    const QJsonArray elements = stored.toArray();
    for (const auto& element : elements) {
        if (std::optional<KTDriveMapping> mapping = mappingFromStored(element))
            list.append(std::move(*mapping));
    }
    return list;
}

QJsonArray storedFromList(const DriveMappingList& list)
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

QJsonArray withDriveMapped(
    const std::optional<QJsonValue>& stored, const QString& from, const QString& to)
{
    QJsonArray elements = stored && stored->isArray() ? stored->toArray() : QJsonArray();
    for (auto element = elements.begin(); element != elements.end(); ++element) {
        if (!mapsDrive(*element, from))
            continue;
        QJsonObject mapping = element->toObject();
        mapping.insert(driveLetterKey, from);
        mapping.insert(driveNameKey, to);
        *element = mapping;
        return elements;
    }
    elements.append(QJsonObject {{driveLetterKey, from}, {driveNameKey, to}});
    return elements;
}

std::optional<QJsonValue> withoutDrive(const std::optional<QJsonValue>& stored, const QString& from)
{
    if (!stored || !stored->isArray())
        return stored;
    QJsonArray elements = stored->toArray();
    for (qsizetype index = elements.size() - 1; index >= 0; --index) {
        if (mapsDrive(elements.at(index), from))
            elements.removeAt(index);
    }
    return elements;
}

}
