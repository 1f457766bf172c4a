#include "KTDragTextField.h"

#include "KTCustomDropFieldEditor.h"
#include "platform/SystemLog.h"

#include <QDropEvent>
#include <QMimeData>

KTDragTextField::KTDragTextField(QWidget* parent)
    : QLineEdit(parent)
{
    setAcceptDrops(true);
    SystemLog::write(QStringLiteral("Init KTDragTextField"));
}

bool KTDragTextField::isBeingEdited() const
{
    // The window's focus widget, even while another application is in front: that is
    // where its cursor is when the user comes back, and where a drop from there goes.
    return window()->focusWidget() == this;
}

KTCustomDropFieldEditor& KTDragTextField::fieldEditor()
{
    if (m_fieldEditorSource) {
        if (KTCustomDropFieldEditor* editor = m_fieldEditorSource(this))
            return *editor;
    }
    return KTCustomDropFieldEditor::defaultKTCustomDropFieldEditor();
}

void KTDragTextField::dragEnterEvent(QDragEnterEvent* event)
{
    if (isBeingEdited()) {
        fieldEditor().draggingEntered(event);
        return;
    }
    if (KTCustomDropFieldEditor::acceptableFilenames(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void KTDragTextField::dragMoveEvent(QDragMoveEvent* event)
{
    if (isBeingEdited()) {
        fieldEditor().draggingUpdated(event);
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void KTDragTextField::dropEvent(QDropEvent* event)
{
    if (isBeingEdited()) {
        fieldEditor().performDragOperation(*this, event);
        return;
    }
    SystemLog::write(QStringLiteral("Preparing Drag"));
    const QStringList filenames = KTCustomDropFieldEditor::acceptableFilenames(event->mimeData());
    if (!filenames.isEmpty())
        setText(filenames.last());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    SystemLog::write(QStringLiteral("concludeDragOepration self: %1").arg(text()));
}
