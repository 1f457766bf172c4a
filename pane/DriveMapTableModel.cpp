#include "DriveMapTableModel.h"

namespace {

// Longer texts are shown cut short (with an ellipsis), so that a stored text of any
// length costs no more to show than this; the whole text is in the editor.
constexpr qsizetype kShownLength = 500;

QString shown(const std::optional<QString>& text)
{
    if (!text)
        return {};
    if (text->size() <= kShownLength)
        return *text;
    return text->left(kShownLength) + QChar(0x2026);
}

}

DriveMapTableModel::DriveMapTableModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void DriveMapTableModel::setList(DriveMappingChanges list)
{
    beginResetModel();
    m_list = std::move(list);
    endResetModel();
}

bool DriveMapTableModel::insertMapping(qsizetype row, KTDriveMapping mapping)
{
    if (row < 0 || row > m_list.count())
        return false;
    beginInsertRows({}, int(row), int(row));
    m_list.insert(row, std::move(mapping));
    endInsertRows();
    return true;
}

bool DriveMapTableModel::removeMapping(qsizetype row)
{
    if (row < 0 || row >= m_list.count())
        return false;
    beginRemoveRows({}, int(row), int(row));
    m_list.remove(row);
    endRemoveRows();
    return true;
}

bool DriveMapTableModel::setMapping(qsizetype row, KTDriveMapping mapping)
{
    if (!m_list.replace(row, std::move(mapping)))
        return false;
    Q_EMIT dataChanged(index(int(row), MapFromColumn), index(int(row), MapToColumn));
    return true;
}

int DriveMapTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_list.count());
}

int DriveMapTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DriveMapTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.count())
        return {};
    const KTDriveMapping& mapping = m_list.at(index.row());
    const std::optional<QString>& text =
        index.column() == MapFromColumn ? mapping.mapFrom() : mapping.mapTo();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return shown(text);
    case Qt::EditRole:
        return text.value_or(QString());
    default:
        return {};
    }
}

bool DriveMapTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= m_list.count())
        return false;
    KTDriveMapping mapping = m_list.at(index.row());
    const QString text = value.toString();
    const std::optional<QString>& old =
        index.column() == MapFromColumn ? mapping.mapFrom() : mapping.mapTo();
    // Leaving a cell without a change is no change: the stored element stays as it is.
    if (old.value_or(QString()) == text)
        return true;
    if (index.column() == MapFromColumn)
        mapping.setMapFrom(text);
    else
        mapping.setMapTo(text);
    return setMapping(index.row(), std::move(mapping));
}

Qt::ItemFlags DriveMapTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant DriveMapTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == MapFromColumn ? QStringLiteral("Drive") : QStringLiteral("Share");
}
