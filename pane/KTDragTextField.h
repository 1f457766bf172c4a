#pragma once

#include <QLineEdit>

#include <functional>

class KTCustomDropFieldEditor;

// A text field that takes dropped files. While it is not being edited it takes the path
// of the last file dropped, as it stands; while it is (it has its window's focus), its
// field editor inserts them at the cursor, translated. It takes no dragged text either
// way.
class KTDragTextField : public QLineEdit {
    Q_OBJECT

public:
    // Gives the field editor of a field being edited: the window delegate's answer.
    using FieldEditorSource = std::function<KTCustomDropFieldEditor*(QObject* field)>;

    explicit KTDragTextField(QWidget* parent = nullptr);

    // Without a source, or when it gives none, the shared editor serves.
    void setFieldEditorSource(FieldEditorSource source) { m_fieldEditorSource = std::move(source); }
    bool isBeingEdited() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    KTCustomDropFieldEditor& fieldEditor();

    FieldEditorSource m_fieldEditorSource;
};
