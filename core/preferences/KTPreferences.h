#pragma once

#include "preferences/DriveMappingChanges.h"
#include "preferences/KTDriveMapping.h"
#include "preferences/PreferenceKeys.h"
#include "preferences/PreferencesDomain.h"

#include <QObject>
#include <QString>

#include <optional>

class PreferencesNotifier;

// The user's settings, shared by the application and the settings window through the
// preferences domain KTBUNDLENAME.
//
// Getters read the domain as of its last synchronisation, with this process's unsaved
// changes over it; they keep no copy of their own and never fail: a missing key or a
// value of the wrong type gives the default (false, "smb", no list). Setters change
// only this process's pending values; synchronizeChanges() writes them and tells every
// other process, whose store then synchronises in its turn.
//
// Getters read the domain's memory, not its file: a value is never older than the last
// synchronisation, and another process's change arrives with its notification, whose
// handler synchronises. Parsing the file at every call would cost about as much as a
// synchronisation for each getter and show changes before they were announced.
class KTPreferences {
public:
    // The process's store over the user's domain and the session bus, created on first
    // use and never destroyed.
    static KTPreferences& defaultKTPreferences();

    // A store over another domain and notifier (none: changes are not announced), for
    // tests and tools; everything else uses defaultKTPreferences().
    explicit KTPreferences(PreferencesDomain& domain, PreferencesNotifier* notifier = nullptr);
    ~KTPreferences();
    KTPreferences(const KTPreferences&) = delete;
    KTPreferences& operator=(const KTPreferences&) = delete;

    // Another process announced a change: re-read the domain.
    void preferencesChanged();
    // Writes the pending values, re-reads the domain and announces the change. A failed
    // write is logged and keeps the pending values; the result says why.
    SynchronizeResult synchronizeChanges();

    bool createAlias() const;
    void setCreateAlias(bool createAlias);
    // The key is "useBackslash".
    bool useBackwardSlash() const;
    void setUseBackwardSlash(bool useBackwardSlash);
    bool mappingEnabled() const;
    void setMappingEnabled(bool mappingEnabled);
    bool showDetails() const;
    void setShowDetails(bool showDetails);
    bool useQuotationMarks() const;
    void setUseQuotationMarks(bool useQuotationMarks);
    bool dfsInstalled() const;
    void setDfsInstalled(bool dfsInstalled);

    // Whatever string is stored, known method or not; "smb" when there is none.
    QString mountMethod() const;
    // None removes the key, so the getter gives "smb" again.
    void setMountMethod(const std::optional<QString>& mountMethod);

    // A fresh list, or none when no list is stored; an empty stored list reads as an
    // empty list.
    std::optional<DriveMappingList> driveMapping() const;
    // None leaves the stored list as it is. Mappings without mapTo or mapFrom are
    // dropped; the others are stored in their order.
    void setDriveMapping(const std::optional<DriveMappingList>& driveMapping);
    // The stored list, for a person to edit; see DriveMappingChanges.
    DriveMappingChanges driveMappingChanges() const;
    // Stores what was changed in such a list: the next synchronisation applies the
    // changes, under the lock, to the list the domain holds at that moment. Replaces
    // any pending change of the list.
    void changeDriveMapping(const DriveMappingChanges& changes);
    // Map a drive letter (matched ignoring case) to a share, or remove its mappings, as
    // DriveMappingStorage::withDriveMapped and withoutDrive do: the next synchronisation
    // applies the change, under the lock, to the list stored at that moment, so that
    // what other processes changed meanwhile stays.
    void mapDriveLetter(const QString& from, const QString& share);
    void unmapDriveLetter(const QString& from);

    const PreferencesDomain& domain() const { return m_domain; }

private:
    bool booleanValue(const QString& key) const;
    void setBooleanValue(const QString& key, bool value);

    PreferencesDomain& m_domain;
    PreferencesNotifier* m_notifier;
    QMetaObject::Connection m_notifierConnection;
};
