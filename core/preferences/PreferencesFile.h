#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// Reading and writing one domain file: a JSON object whose members are the keys.
namespace PreferencesFile {

// A file larger than this is no settings file; it reads as unreadable rather than
// being loaded into memory.
constexpr qint64 maximumSize = qint64 {4} * 1024 * 1024;

struct Contents {
    QJsonObject values;
    // Why the file could not be used, when it exists but is unreadable or malformed;
    // its values are then empty. A missing file is an empty domain, not a problem.
    std::optional<QString> problem;
};

Contents read(const QString& path);

// Replaces the file with the given values so that a reader, or a writer killed at any
// moment, finds either the old file or the new one whole: the values go to a
// temporary file in the same folder, which is flushed to disk and renamed over the
// file. A file that is a symbolic link stays one; the file it leads to is replaced.
// Returns why it failed, or none.
[[nodiscard]] std::optional<QString> writeAtomically(
    const QString& path, const QJsonObject& values);

// Removes the temporary files that writers killed before their rename left behind.
// Only safe while holding the domain's lock, when no writer can be using one.
void removeLeftoverTemporaries(const QString& path);

}
