#pragma once

#include "platform/Result.h"

#include <QString>

#include <optional>

// What `kestrova info` tells of an alias file (a shortcut converted before): what its
// record keeps of the target, without resolving it, so nothing is mounted.
struct AliasInfo {
    QString file;
    std::optional<QString> name;
    std::optional<QString> volume;
    std::optional<QString> path;
    std::optional<QString> server;

    // The alias file's facts; none when the file has no sidecar with an 'alis' 0
    // resource, and a failure, saying why, when its sidecar cannot be read.
    static Result<std::optional<AliasInfo>> read(const QString& file);
};
