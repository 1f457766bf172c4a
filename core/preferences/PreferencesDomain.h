#pragma once

#include "preferences/PreferencesFile.h"
#include "preferences/PreferencesPaths.h"

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <optional>

// What a synchronisation achieved: none on success, otherwise why this process's
// pending values are still unwritten.
struct SynchronizeResult {
    std::optional<QString> failure;

    bool succeeded() const { return !failure; }
};

// One preferences domain: per-user values keyed by string, shared by every process of
// the user through a JSON file, over a read-only system layer.
//
// Values are what the domain read at its last synchronisation, with this process's
// pending changes over them. Setting a value changes only the pending changes;
// synchronize() merges them, key by key, into what is on disk under a lock, writes the
// result atomically and takes it as the new state, so the last synchronisation wins
// per key and processes that change different keys keep each other's changes. A key
// the user's file does not hold takes its value from the system layer.
//
// Bad data stops nothing and loses nothing: a corrupt user file reads as empty and is
// moved aside (PreferencesPaths::corruptFile) before a new one is written; a file that
// exists but cannot be read is left alone, the values read before stay, and nothing is
// written until it can be read; a failed write keeps the pending changes for the next
// synchronisation. Each is logged.
class PreferencesDomain {
public:
    enum class Source {
        None, // no value: the default applies
        User, // the user's file or a pending change
        System, // the system layer
    };

    // Reads the domain's files at once.
    explicit PreferencesDomain(PreferencesPaths paths);

    const PreferencesPaths& paths() const { return m_paths; }
    // What was wrong with the user's file when it was last read; none when it was
    // usable or missing.
    const std::optional<PreferencesFile::Problem>& userFileProblem() const
    {
        return m_userFileProblem;
    }

    std::optional<QJsonValue> value(const QString& key) const;
    Source source(const QString& key) const;

    // How a pending change turns what the domain stores under a key (none: no value)
    // into what it is to store (none: remove the key).
    using Modification =
        std::function<std::optional<QJsonValue>(const std::optional<QJsonValue>& stored)>;

    // A pending change: a value, or none to remove the key.
    void setValue(const QString& key, const std::optional<QJsonValue>& value);
    // A pending change that depends on what is stored: each synchronisation applies it,
    // under the lock, to the value on disk at that moment (the system layer's where the
    // user's file has none), so that what another process wrote meanwhile is its input
    // and not lost. It replaces any pending change of the key; until it is written,
    // value() gives it applied to the value of the last synchronisation.
    void modifyValue(const QString& key, const Modification& modification);
    bool hasPendingChanges() const { return !m_pending.isEmpty(); }

    // Writes the pending changes, if any, and re-reads what other processes wrote.
    [[nodiscard]] SynchronizeResult synchronize();

private:
    struct Found {
        Source source = Source::None;
        QJsonValue value;
    };
    Found find(const QString& key) const;
    Found findStored(const QString& key) const;
    Found findInSystemLayer(const QString& key) const;
    static std::optional<QJsonValue> valueOf(const Found& found);
    SynchronizeResult writePendingChanges();
    SynchronizeResult moveCorruptFileAside();
    QJsonObject withPendingChanges(QJsonObject values) const;
    void readUserFile();
    void takeUserFile(const PreferencesFile::Contents& contents);
    void readSystemLayer();
    void reportProblem(const QString& path, const std::optional<PreferencesFile::Problem>& problem);

    PreferencesPaths m_paths;
    QJsonObject m_userValues;
    std::optional<PreferencesFile::Problem> m_userFileProblem;
    QJsonObject m_systemValues;
    QHash<QString, Modification> m_pending;
    // The problem last logged for each file, so a bad file is reported once, not at
    // every synchronisation.
    QHash<QString, QString> m_reportedProblems;
};
