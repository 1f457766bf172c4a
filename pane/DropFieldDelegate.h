#pragma once

#include "KTDragTextField.h"

#include <QStyledItemDelegate>

// Edits the cells of the mapping table in drop fields, so that a file dropped on a cell
// being edited goes in at its cursor, translated.
class DropFieldDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit DropFieldDelegate(
        KTDragTextField::FieldEditorSource fieldEditorSource, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;

private:
    KTDragTextField::FieldEditorSource m_fieldEditorSource;
};
