#pragma once

#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;

// The one editor of the settings window's text fields while they are being edited, for
// what is dropped on them: only files, each inserted at the cursor, as typed text, in
// the form translateFilepath gives it (a dropped shortcut asks its question first),
// one after the other with nothing between them, right after the drop has ended.
// Dragged text is refused. A file for which no text results adds nothing, and the next
// one goes on.
class KTCustomDropFieldEditor {
public:
    // The one instance of the process, made on first use.
    static KTCustomDropFieldEditor& defaultKTCustomDropFieldEditor();

    KTCustomDropFieldEditor(const KTCustomDropFieldEditor&) = delete;
    KTCustomDropFieldEditor& operator=(const KTCustomDropFieldEditor&) = delete;

    // The local paths of the files a drag carries (text/uri-list): file: URLs, and
    // other URLs that GIO maps to a local path (a GVfs share's FUSE folder), in order.
    static QStringList acceptableFilenames(const QMimeData* data);

    void draggingEntered(QDragEnterEvent* event);
    void draggingUpdated(QDragMoveEvent* event);
    void performDragOperation(QLineEdit& field, QDropEvent* event);

private:
    struct PendingDrop {
        QPointer<QLineEdit> field;
        QStringList filenames;
    };

    KTCustomDropFieldEditor();
    void insertPendingDrops();

    QList<PendingDrop> m_pendingDrops;
    QTimer m_insertion;
};
