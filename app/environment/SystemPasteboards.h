#pragma once

#include <QString>

#include <memory>

class QMimeData;

// The display's pasteboards: the PRIMARY selection (what the user has selected in any
// application) and the CLIPBOARD. Where the process has no display (no QGuiApplication)
// they are empty and nothing can be written.
namespace SystemPasteboards {

// Copies of the types the services read (HTML, RTF, plain text, file lists); a copy,
// because the owner may change the selection while a request is served.
std::unique_ptr<QMimeData> primarySelection();
std::unique_ptr<QMimeData> clipboardContents();

// Makes this process the owner of the clipboard with one text/plain item.
bool setClipboardText(const QString& text);

}
