#include "DropFieldDelegate.h"

#include "preferences/PreferencesFile.h"

DropFieldDelegate::DropFieldDelegate(
    KTDragTextField::FieldEditorSource fieldEditorSource, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_fieldEditorSource(std::move(fieldEditorSource))
{
}

QWidget* DropFieldDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* editor = new KTDragTextField(parent);
    editor->setFrame(false);
    // A line edit cuts its text at 32767 characters by default; a longer stored text
    // would be cut short by merely leaving its cell.
    editor->setMaxLength(int(PreferencesFile::maximumSize));
    editor->setFieldEditorSource(m_fieldEditorSource);
    return editor;
}
