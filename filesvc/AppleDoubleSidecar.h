#pragma once

#include "filesvc/AppleDouble.h"
#include "platform/Result.h"

#include <QString>

#include <functional>
#include <optional>

// The AppleDouble sidecar "._NAME" that holds the resource fork and the Finder
// information of the file NAME beside it, as macOS keeps them on foreign file systems.
// Reading refuses a sidecar that is a symbolic link out of its folder, is no regular
// file, or is malformed; replacing one is atomic (temporary file, fsync, rename), so a
// crash leaves either the old sidecar or the new one, and a sidecar that is malformed
// or holds more than Kestrova can keep is never replaced.
namespace AppleDoubleSidecar {

// The sidecar path of a file: its folder, "._" and its name. None for a path without a
// last component ("/", "").
std::optional<QString> pathFor(const QString& filePath);

// The sidecar of the file, or none when the file has none.
Result<std::optional<AppleDoubleFile>> read(const QString& filePath);

// Replaces the sidecar with the given contents. Fails, leaving the sidecar as it was,
// when the one there cannot be read or is not rewritable.
Result<void> write(const QString& filePath, const AppleDoubleFile& contents);

// Replaces the sidecar with its present contents (empty ones where there is none) as
// changed by `change`, reading it once. Fails as write does.
Result<void> update(const QString& filePath, const std::function<void(AppleDoubleFile&)>& change);

// The same for a file that was just created, which seldom has a sidecar yet: one round
// trip fewer where it has none. `change` may be called twice, each time on fresh contents.
Result<void> updateOfNewFile(
    const QString& filePath, const std::function<void(AppleDoubleFile&)>& change);

}
