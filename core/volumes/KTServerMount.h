#pragma once

#include <QString>

#include <optional>

// What a blocking mount of a server share reports.
struct KTServerMountResult {
    bool mounted = false;
    // The path of the mounted volume's root folder, when it could be found.
    std::optional<QString> rootPath;
};

// Mounts a server share from its URL (smb://server/share, afp://, nfs://, cifs://) and
// returns when the mount has succeeded or failed. "Already mounted" counts as mounted.
class KTServerMount {
public:
    virtual ~KTServerMount() = default;
    virtual KTServerMountResult mountServerVolume(const QString& url) = 0;
};
