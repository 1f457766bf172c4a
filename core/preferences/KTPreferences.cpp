#include "preferences/KTPreferences.h"

#include "preferences/DriveMappingStorage.h"
#include "preferences/PreferencesNotifier.h"

namespace {

// The one store of the process; set once, never cleared.
KTPreferences* preferencesObj = nullptr;

}

KTPreferences& KTPreferences::defaultKTPreferences()
{
    if (preferencesObj)
        return *preferencesObj;
    // Never destroyed: other singletons and late event handlers may still use the store
    // while the process ends.
    auto* domain = new PreferencesDomain(PreferencesPaths::forDomain(KTBUNDLENAME));
    auto* notifier = new PreferencesNotifier(QDBusConnection::sessionBus(), KTBUNDLENAME);
    preferencesObj = new KTPreferences(*domain, notifier);
    return *preferencesObj;
}

KTPreferences::KTPreferences(PreferencesDomain& domain, PreferencesNotifier* notifier)
    : m_domain(domain)
    , m_notifier(notifier)
{
    if (m_notifier) {
        m_notifierConnection = QObject::connect(m_notifier, &PreferencesNotifier::changed,
            m_notifier, [this] { preferencesChanged(); });
    }
}

KTPreferences::~KTPreferences()
{
    QObject::disconnect(m_notifierConnection);
}

void KTPreferences::preferencesChanged()
{
    // A failure is logged by the domain; the pending values wait for the next try.
    (void)m_domain.synchronize();
}

SynchronizeResult KTPreferences::synchronizeChanges()
{
    SynchronizeResult result = m_domain.synchronize();
    if (m_notifier)
        m_notifier->post();
    return result;
}

bool KTPreferences::booleanValue(const QString& key) const
{
    // Only a stored boolean counts: 1 or "true" read as false.
    const std::optional<QJsonValue> value = m_domain.value(key);
    return value && value->isBool() && value->toBool();
}

void KTPreferences::setBooleanValue(const QString& key, bool value)
{
    m_domain.setValue(key, QJsonValue(value));
}

bool KTPreferences::createAlias() const
{
    return booleanValue(KTCREATEALIASSTR);
}

void KTPreferences::setCreateAlias(bool createAlias)
{
    setBooleanValue(KTCREATEALIASSTR, createAlias);
}

bool KTPreferences::useBackwardSlash() const
{
    return booleanValue(KTUSEBACKSLASH);
}

void KTPreferences::setUseBackwardSlash(bool useBackwardSlash)
{
    setBooleanValue(KTUSEBACKSLASH, useBackwardSlash);
}

bool KTPreferences::mappingEnabled() const
{
    return booleanValue(KTMAPPINGENABLED);
}

void KTPreferences::setMappingEnabled(bool mappingEnabled)
{
    setBooleanValue(KTMAPPINGENABLED, mappingEnabled);
}

bool KTPreferences::showDetails() const
{
    return booleanValue(KTSHOWDETAILS);
}

void KTPreferences::setShowDetails(bool showDetails)
{
    setBooleanValue(KTSHOWDETAILS, showDetails);
}

bool KTPreferences::useQuotationMarks() const
{
    return booleanValue(KTUSEQUOTATIONMARKS);
}

void KTPreferences::setUseQuotationMarks(bool useQuotationMarks)
{
    setBooleanValue(KTUSEQUOTATIONMARKS, useQuotationMarks);
}

bool KTPreferences::dfsInstalled() const
{
    return booleanValue(KTDFSINSTALLED);
}

void KTPreferences::setDfsInstalled(bool dfsInstalled)
{
    setBooleanValue(KTDFSINSTALLED, dfsInstalled);
}

QString KTPreferences::mountMethod() const
{
    const std::optional<QJsonValue> value = m_domain.value(KTMOUNTMETHODSTR);
    if (!value || !value->isString())
        return QStringLiteral("smb");
    return value->toString();
}

void KTPreferences::setMountMethod(const std::optional<QString>& mountMethod)
{
    if (!mountMethod) {
        m_domain.setValue(KTMOUNTMETHODSTR, std::nullopt);
        return;
    }
    m_domain.setValue(KTMOUNTMETHODSTR, QJsonValue(*mountMethod));
}

std::optional<DriveMappingList> KTPreferences::driveMapping() const
{
    const std::optional<QJsonValue> value = m_domain.value(KTDRIVEMAP);
    if (!value)
        return std::nullopt;
    return DriveMappingStorage::listFromStored(*value);
}

void KTPreferences::setDriveMapping(const std::optional<DriveMappingList>& driveMapping)
{
    if (!driveMapping)
        return;
    m_domain.setValue(KTDRIVEMAP, DriveMappingStorage::storedFromList(*driveMapping));
}

DriveMappingChanges KTPreferences::driveMappingChanges() const
{
    return DriveMappingChanges(m_domain.value(KTDRIVEMAP));
}

void KTPreferences::changeDriveMapping(const DriveMappingChanges& changes)
{
    m_domain.modifyValue(KTDRIVEMAP,
        [changes](const std::optional<QJsonValue>& stored) { return changes.appliedTo(stored); });
}

void KTPreferences::mapDriveLetter(const QString& from, const QString& share)
{
    m_domain.modifyValue(KTDRIVEMAP, [from, share](const std::optional<QJsonValue>& stored) {
        return std::optional<QJsonValue>(DriveMappingStorage::withDriveMapped(stored, from, share));
    });
}

void KTPreferences::unmapDriveLetter(const QString& from)
{
    m_domain.modifyValue(KTDRIVEMAP, [from](const std::optional<QJsonValue>& stored) {
        return DriveMappingStorage::withoutDrive(stored, from);
    });
}
