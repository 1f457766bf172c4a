#include "KTCustomDropFieldEditor.h"

#include "DropAlerts.h"
#include "platform/LocalFileUri.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

KTCustomDropFieldEditor::KTCustomDropFieldEditor()
{
    m_insertion.setSingleShot(true);
    m_insertion.setInterval(0);
    QObject::connect(&m_insertion, &QTimer::timeout, [this] { insertPendingDrops(); });
}

KTCustomDropFieldEditor& KTCustomDropFieldEditor::defaultKTCustomDropFieldEditor()
{
    // Never destroyed: fields may still ask for it while the program ends.
    static auto* customFieldEditor = new KTCustomDropFieldEditor;
    return *customFieldEditor;
}

QStringList KTCustomDropFieldEditor::acceptableFilenames(const QMimeData* data)
{
    QStringList filenames;
    if (!data || !data->hasUrls())
        return filenames;
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        // The URI as it came: a name that is not UTF-8 keeps its bytes.
        if (std::optional<QString> path =
                LocalFileUri::toPath(QString::fromLatin1(url.toEncoded())))
            filenames.append(*path);
    }
    return filenames;
}

void KTCustomDropFieldEditor::draggingEntered(QDragEnterEvent* event)
{
    if (acceptableFilenames(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void KTCustomDropFieldEditor::draggingUpdated(QDragMoveEvent* event)
{
    // What the drag carries does not change while it moves; QLineEdit's own handler
    // would refuse it for carrying no text.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void KTCustomDropFieldEditor::performDragOperation(QLineEdit& field, QDropEvent* event)
{
    m_pendingDrops.append({QPointer<QLineEdit>(&field), acceptableFilenames(event->mimeData())});
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Once the drop has ended: a shortcut's question must not keep the application the
    // files came from waiting for the end of its drag.
    m_insertion.start();
}

void KTCustomDropFieldEditor::insertPendingDrops()
{
    while (!m_pendingDrops.isEmpty()) {
        const PendingDrop drop = m_pendingDrops.takeFirst();
        // A field that went while a question was up (its cell closed) takes nothing more,
        // and its remaining files ask nothing.
        for (const QString& filename : drop.filenames) {
            if (!drop.field)
                break;
            const std::optional<QString> text = DropAlerts::translatedPath(drop.field, filename);
            if (text && drop.field)
                drop.field->insert(*text);
        }
    }
}
