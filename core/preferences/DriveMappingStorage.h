#pragma once

#include "preferences/KTDriveMapping.h"

#include <QJsonArray>
#include <QJsonValue>

#include <optional>

// The stored form of a drive-mapping list: an array, in list order, of objects with the
// string entries "driveLetter" (mapFrom) and "driveName" (mapTo).
namespace DriveMappingStorage {

inline const QString driveLetterKey = QStringLiteral("driveLetter");
inline const QString driveNameKey = QStringLiteral("driveName");

// The mapping one element of a stored list holds; none for an element that is no
// object, which holds no mapping at all.
std::optional<KTDriveMapping> mappingFromStored(const QJsonValue& element);

// The list a stored value holds, or none when the value is not an array. An element
// without a usable "driveLetter" reads with no mapFrom; one without a usable
// "driveName" keeps the placeholder "Map To".
std::optional<DriveMappingList> listFromStored(const QJsonValue& stored);

// The array that stores a list. Mappings without mapTo or without mapFrom are dropped;
// the others keep their order.
QJsonArray storedFromList(const DriveMappingList& list);

// The stored value with the drive letter from (matched ignoring case) mapped to the
// share to: the first element mapping that letter takes both texts and keeps its other
// entries; without one, a mapping is appended. A value that is no array is replaced.
QJsonArray withDriveMapped(
    const std::optional<QJsonValue>& stored, const QString& from, const QString& to);

// The stored value without the elements that map the drive letter from (matched
// ignoring case); everything else stays as it is.
std::optional<QJsonValue> withoutDrive(
    const std::optional<QJsonValue>& stored, const QString& from);

}
