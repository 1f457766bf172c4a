#pragma once

#include "platform/Result.h"

#include <QString>

// The URL a share text (//server/share/dir) is mounted from: the method, ":", "//", the
// server, then the share and any further components percent-encoded, so that a share
// named "My Files" or "Données" makes a valid URL.
//
// The server and share names reach mount programs (mount.cifs takes them inside its
// option list, GVfs inside its GMountSpec), so a name holding a character that no SMB
// server or share name can hold is refused here, before any program is started, with
// the reason.
namespace MountURL {

Result<QString> forShare(const QString& share, const QString& mountMethod);

}
