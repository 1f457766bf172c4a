#pragma once

#include "preferences/DriveMappingChanges.h"

#include <QAbstractTableModel>

// The mapping table: one row a mapping, the drive letter (mapFrom) and the share
// (mapTo) in two editable columns, over the list being edited. A text the mapping does
// not have shows as an empty cell.
class DriveMapTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { MapFromColumn, MapToColumn, ColumnCount };

    explicit DriveMapTableModel(QObject* parent = nullptr);

    const DriveMappingChanges& list() const { return m_list; }
    void setList(DriveMappingChanges list);

    // Rows outside the list are refused (false) and change nothing.
    bool insertMapping(qsizetype row, KTDriveMapping mapping);
    bool removeMapping(qsizetype row);
    bool setMapping(qsizetype row, KTDriveMapping mapping);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    DriveMappingChanges m_list;
};
