#pragma once

#include <QList>
#include <QString>

#include <optional>

// One user mapping from a drive letter (mapFrom, such as "X:") to the share it stands
// for (mapTo, such as "\\fs1\data"). Lists of mappings are ordered; wherever they are
// applied, the first match in list order wins. Either text may be absent: a stored
// mapping without a drive letter reads with no mapFrom, and a mapping without mapTo is
// dropped when a list is stored.
class KTDriveMapping {
public:
    // A new mapping holds the placeholders "Map From" and "Map To".
    KTDriveMapping();
    KTDriveMapping(std::optional<QString> mapFrom, std::optional<QString> mapTo);

    const std::optional<QString>& mapFrom() const { return m_mapFrom; }
    void setMapFrom(std::optional<QString> mapFrom) { m_mapFrom = std::move(mapFrom); }

    const std::optional<QString>& mapTo() const { return m_mapTo; }
    void setMapTo(std::optional<QString> mapTo) { m_mapTo = std::move(mapTo); }

private:
    std::optional<QString> m_mapFrom;
    std::optional<QString> m_mapTo;
};

// QList shares its data when copied, so a shortcut holding the caller's list costs no
// copy of the mappings.
using DriveMappingList = QList<KTDriveMapping>;
