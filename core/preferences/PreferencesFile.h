#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// Reading and writing one domain file: a JSON object whose members are the keys.
namespace PreferencesFile {

// A file larger than this is no settings file: the reader refuses it rather than load
// it into memory, and the writer refuses to make one.
constexpr qint64 maximumSize = qint64 {4} * 1024 * 1024;

// Why a file that exists could not be used.
struct Problem {
    enum class Kind {
        // It holds no settings (no JSON object, or too large): it may be moved aside
        // and replaced.
        Corrupt,
        // It may hold good settings that cannot be read now (permission, I/O error, no
        // regular file): it must be left exactly as it is.
        Unreadable,
    };
    Kind kind;
    QString reason;

    bool isCorrupt() const { return kind == Kind::Corrupt; }
};

struct Contents {
    // Empty when there is a problem. A missing file is an empty domain, not a problem.
    QJsonObject values;
    std::optional<Problem> problem;
};

Contents read(const QString& path);

// Replaces the file with the given values so that a reader, or a writer killed at any
// moment, finds either the old file or the new one whole: the values go to a
// temporary file in the same folder, which is flushed to disk and renamed over the
// file. A file that is a symbolic link stays one; the file it leads to is replaced.
// Values that would not fit in maximumSize are refused and the file is left alone.
// Returns why it failed, or none.
[[nodiscard]] std::optional<QString> writeAtomically(
    const QString& path, const QJsonObject& values);

// Removes the temporary files that writers killed before their rename left behind.
// Only safe while holding the domain's lock, when no writer can be using one.
void removeLeftoverTemporaries(const QString& path);

}
