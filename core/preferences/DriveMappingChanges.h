#pragma once

#include "preferences/KTDriveMapping.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QList>

#include <optional>

// A drive-mapping list as a person edits it, over the value stored when editing began.
// Each row remembers the stored element it was read from, so that storing the list
// changes only what was changed: elements nobody touched are written back exactly as
// they were stored (entries of other types, extra entries and elements that are no
// mapping at all included), and the changes apply to whatever the domain holds when
// they are written, so that mappings another process stored meanwhile stay.
//
// Rows hold what DriveMappingStorage::listFromStored reads: one row for each stored
// element that is an object, in their order.
class DriveMappingChanges {
public:
    // An empty list over no stored value.
    DriveMappingChanges() = default;
    // The list a stored value holds; a value that is no array reads as an empty list.
    explicit DriveMappingChanges(const std::optional<QJsonValue>& stored);

    qsizetype count() const { return m_rows.size(); }
    const KTDriveMapping& at(qsizetype row) const { return m_rows.at(row).mapping; }
    DriveMappingList list() const;

    // Rows outside the list are refused (false) and change nothing.
    bool insert(qsizetype row, KTDriveMapping mapping);
    bool remove(qsizetype row);
    bool replace(qsizetype row, KTDriveMapping mapping);

    bool hasChanges() const { return m_changed; }

    // What to store, given what the domain holds now: that value with this list's
    // changes applied. A stored element that a changed or removed row came from is
    // found again by its contents; one that is gone by then is not removed twice, and a
    // row edited from it is added as a new row. New rows follow the row they followed
    // in this list. Without changes the stored value is kept as it is, and no value at
    // all becomes an empty list. Changed rows without mapFrom or mapTo are not stored.
    std::optional<QJsonValue> appliedTo(const std::optional<QJsonValue>& current) const;

private:
    struct Row {
        KTDriveMapping mapping;
        // The index of the stored element the row was read from; none for a new row.
        std::optional<qsizetype> origin;
        bool edited = false;
    };

    // For each element of the stored value, the element of current holding the same
    // contents (-1 when there is none).
    QList<qsizetype> matchBase(const QJsonArray& current) const;
    QJsonValue storedForm(const Row& row) const;
    bool isStorable(const Row& row) const;

    QJsonArray m_base;
    QList<Row> m_rows;
    bool m_changed = false;
};
