#pragma once

#include <QString>

#include <chrono>
#include <optional>

// What a blocking mount of a server share reports.
struct ServerMountResult {
    bool mounted = false;
    // The path of the mounted volume's root folder, when it could be found.
    std::optional<QString> rootPath;
};

// How long a mount may wait for the server, name lookup included, before Kestrova gives
// up on it. Every request to the running instance waits behind a mount, so a server that
// accepts the connection and never answers must not hold it for longer than the SMB
// client library's own 20 s or the kernel client's 10 s, whichever a platform has; the
// time a user spends answering the password question does not count.
inline constexpr std::chrono::milliseconds serverMountLimit = std::chrono::seconds(30);

// Mounts a server share from its URL (smb://server/share, afp://, nfs://, cifs://) and
// returns when the mount has succeeded or failed. "Already mounted" counts as mounted.
class ServerMount {
public:
    virtual ~ServerMount() = default;
    virtual ServerMountResult mountServerVolume(const QString& url) = 0;
};
