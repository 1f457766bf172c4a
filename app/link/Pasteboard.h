#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

// What the services read from a pasteboard (a QMimeData: the selection, the clipboard,
// or one made from the command line).
namespace Pasteboard {

// The text the open-link service works on.
struct LinkText {
    // False when the pasteboard holds neither rich text nor plain text.
    bool hasSelection = false;
    // None when a selection was there but no string could be made of it (RTF that is
    // no RTF document).
    std::optional<QString> text;
};

// The first type present decides: HTML (text/html), then RTF (text/rtf,
// application/rtf), then plain text (text/plain). Of rich text the target of the first
// hyperlink in reading order is taken, else its characters; an empty rich text gives
// the empty text.
LinkText linkText(const QMimeData& pasteboard);

// The locations of the file: and smb: URIs in text/uri-list, in their order: local
// paths, and the server form //server/share/path of files on servers (LocationUri);
// other URIs are not file names and are left out. None when the pasteboard has no file names (no
// text/uri-list, or only URIs of other schemes); an empty list when text/uri-list is
// there but empty.
std::optional<QStringList> fileNames(const QMimeData& pasteboard);

}
