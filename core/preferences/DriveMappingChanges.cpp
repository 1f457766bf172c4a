#include "preferences/DriveMappingChanges.h"

#include "preferences/DriveMappingStorage.h"

#include <QByteArray>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Elements are compared by their whole contents, so that duplicates are told apart by
// their count alone, as a person reading the list would.
QByteArray contentsKey(const QJsonValue& element)
{
    return QJsonDocument(QJsonArray {element}).toJson(QJsonDocument::Compact);
}

}

DriveMappingChanges::DriveMappingChanges(const std::optional<QJsonValue>& stored)
{
    if (!stored || !stored->isArray())
        return;
    m_base = stored->toArray();
    for (qsizetype index = 0; index < m_base.size(); ++index) {
        if (std::optional<KTDriveMapping> mapping =
                DriveMappingStorage::mappingFromStored(m_base.at(index)))
            m_rows.append({std::move(*mapping), index, false});
    }
}

DriveMappingList DriveMappingChanges::list() const
{
    DriveMappingList list;
    list.reserve(m_rows.size());
    for (const Row& row : m_rows)
        list.append(row.mapping);
    return list;
}

bool DriveMappingChanges::insert(qsizetype row, KTDriveMapping mapping)
{
    if (row < 0 || row > m_rows.size())
        return false;
    m_rows.insert(row, {std::move(mapping), std::nullopt, true});
    m_changed = true;
    return true;
}

bool DriveMappingChanges::remove(qsizetype row)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    m_rows.removeAt(row);
    m_changed = true;
    return true;
}

bool DriveMappingChanges::replace(qsizetype row, KTDriveMapping mapping)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    m_rows[row].mapping = std::move(mapping);
    m_rows[row].edited = true;
    m_changed = true;
    return true;
}

QList<qsizetype> DriveMappingChanges::matchBase(const QJsonArray& current) const
{
    QHash<QByteArray, QList<qsizetype>> unclaimed;
    for (qsizetype index = current.size() - 1; index >= 0; --index)
        unclaimed[contentsKey(current.at(index))].append(index);
    // Each list holds its indices last first, so that taking from its end claims the
    // elements in their order.
    QList<qsizetype> match(m_base.size(), -1);
    for (qsizetype index = 0; index < m_base.size(); ++index) {
        const auto same = unclaimed.find(contentsKey(m_base.at(index)));
        if (same != unclaimed.end() && !same->isEmpty())
            match[index] = same->takeLast();
    }
    return match;
}

bool DriveMappingChanges::isStorable(const Row& row) const
{
    return row.mapping.mapFrom() && row.mapping.mapTo();
}

QJsonValue DriveMappingChanges::storedForm(const Row& row) const
{
    // Entries the window does not know stay with the mapping they belong to.
    QJsonObject element = row.origin ? m_base.at(*row.origin).toObject() : QJsonObject();
    element.insert(DriveMappingStorage::driveLetterKey, *row.mapping.mapFrom());
    element.insert(DriveMappingStorage::driveNameKey, *row.mapping.mapTo());
    return element;
}

std::optional<QJsonValue> DriveMappingChanges::appliedTo(
    const std::optional<QJsonValue>& current) const
{
    if (!m_changed)
        return current.value_or(QJsonValue(QJsonArray()));
    const QJsonArray stored = current && current->isArray() ? current->toArray() : QJsonArray();
    const QList<qsizetype> match = matchBase(stored);

    // Which row holds each stored element: -1 for one no row was read from or whose row
    // was removed; the stored element of each row found again.
    QList<qsizetype> rowOfBase(m_base.size(), -1);
    QList<qsizetype> baseOfStored(stored.size(), -1);
    for (qsizetype base = 0; base < m_base.size(); ++base) {
        if (match[base] >= 0)
            baseOfStored[match[base]] = base;
    }
    // Rows that are not written in the place of their element go after the element of
    // the nearest row before them that is (-1: at the start).
    QHash<qsizetype, QJsonArray> insertedAfter;
    qsizetype anchor = -1;
    for (qsizetype index = 0; index < m_rows.size(); ++index) {
        const Row& row = m_rows.at(index);
        if (row.origin && match[*row.origin] >= 0) {
            rowOfBase[*row.origin] = index;
            anchor = match[*row.origin];
        } else if (row.edited && isStorable(row)) {
            insertedAfter[anchor].append(storedForm(row));
        }
    }

    QJsonArray result = insertedAfter.value(-1);
    for (qsizetype index = 0; index < stored.size(); ++index) {
        const qsizetype base = baseOfStored[index];
        const qsizetype row = base >= 0 ? rowOfBase[base] : -1;
        if (row >= 0 && m_rows.at(row).edited) {
            if (isStorable(m_rows.at(row)))
                result.append(storedForm(m_rows.at(row)));
        } else if (row >= 0 || base < 0 || !m_base.at(base).isObject()) {
            result.append(stored.at(index));
        }
        for (const auto& inserted : insertedAfter.value(index))
            result.append(inserted);
    }
    return result;
}
