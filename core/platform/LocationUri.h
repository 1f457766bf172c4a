#pragma once

#include "platform/Result.h"

#include <QString>

// The locations that file managers hand over as URIs: file: URIs of local files, and
// smb: URIs of files on Windows servers as GVfs writes them
// (smb://[domain;user@]server[:port]/share/path, percent-encoded). Read by hand, byte
// for byte: QUrl takes a "#" or "?" left unencoded in a name for a fragment or a query,
// and decodes bytes that are not UTF-8 lossily (FileNames keeps them).
//
// A location is a local path (absolute, never beginning with "//") or the server form
// of a file on a server, //server/share/path, as Windows paths are written here.
namespace LocationUri {

// Whether the text begins with a URI scheme and "://" ("smb://", "ftp://"). Any other
// text, "smb:notes.txt" among them, is a file name.
bool isUri(const QString& text);

// Whether the text begins with "smb:" or "file:", the schemes read here, in any case.
bool hasKnownScheme(const QString& text);

// The local path of a file: URI (no host, or "localhost"), or the server form of an
// smb: URI (without user, domain and port, which Windows paths cannot hold, and
// without trailing "/"). Fails, saying why, for other schemes, for a file: URI of
// another host and for an smb: URI without server.
Result<QString> toLocation(const QString& uri);

// Whether the location is the server form of a file on a server.
bool isServerPath(const QString& location);

// The smb: URI of a server form: the inverse of toLocation.
QString smbUri(const QString& serverPath);

}
