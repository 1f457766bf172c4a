#pragma once

#include <QString>

#include <functional>
#include <optional>

// How resolving an alias mounts the share its target lies on when that share is not
// mounted. The file services do not mount by themselves: the application sets
// mountShare once, over KTMounter; until then a record whose share is not mounted does
// not resolve. Main thread only.
struct AliasMounting {
    static AliasMounting& shared();

    // Mounts //server/share with the mount method ("smb", "afp", "nfs", "cifs") and gives
    // its mount point, or none. allowUserInteraction false: no password may be asked.
    std::function<std::optional<QString>(
        const QString& share, const QString& mountMethod, bool allowUserInteraction)>
        mountShare;
};
