#pragma once

#include <QString>

#include <optional>

// File names as org.freedesktop.Application's Open carries them: URIs.
namespace LocalFileUri {

// The file: URI of an absolute path.
QString fromPath(const QString& path);

// The local path of a URI: a file: URI's path, or for a URI of a GVfs location
// (smb://server/share/a.lnk, as file managers pass files on shares) the path of the
// same file under GVfs's FUSE folder. None when there is no local path.
std::optional<QString> toPath(const QString& uri);

}
