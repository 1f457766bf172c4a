#include "KTCustomDropFieldEditor.h"

#include "DropAlerts.h"
#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"

#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include <gio/gio.h>

namespace {

std::optional<QString> localPath(const QUrl& url)
{
    if (url.isLocalFile())
        return url.toLocalFile();
    const QByteArray uri = url.toEncoded();
    const auto file = GObjectRef<GFile>::adopt(g_file_new_for_uri(uri.constData()));
    const GCharPtr path(g_file_get_path(file.get()));
    if (!path)
        return std::nullopt;
    return QFile::decodeName(path.get());
}

}

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
        if (std::optional<QString> path = localPath(url))
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
