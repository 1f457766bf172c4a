#include "environment/SystemPasteboards.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringList>

namespace {

const QStringList readTypes = {QStringLiteral("text/html"), QStringLiteral("text/rtf"),
    QStringLiteral("application/rtf"), QStringLiteral("text/plain"),
    QStringLiteral("text/uri-list")};

QClipboard* clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        ? QGuiApplication::clipboard()
        : nullptr;
}

std::unique_ptr<QMimeData> copyOf(QClipboard::Mode mode)
{
    auto copy = std::make_unique<QMimeData>();
    const QClipboard* board = clipboard();
    if (!board || (mode == QClipboard::Selection && !board->supportsSelection()))
        return copy;
    const QMimeData* source = board->mimeData(mode);
    if (!source)
        return copy;
    for (const QString& type : readTypes) {
        if (source->hasFormat(type))
            copy->setData(type, source->data(type));
    }
    return copy;
}

}

namespace SystemPasteboards {

std::unique_ptr<QMimeData> primarySelection()
{
    return copyOf(QClipboard::Selection);
}

std::unique_ptr<QMimeData> clipboardContents()
{
    return copyOf(QClipboard::Clipboard);
}

bool setClipboardText(const QString& text)
{
    QClipboard* board = clipboard();
    if (!board)
        return false;
    board->setText(text, QClipboard::Clipboard);
    return true;
}

}
