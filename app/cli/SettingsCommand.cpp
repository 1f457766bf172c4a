#include "cli/SettingsCommand.h"

#include "cli/CliCommand.h"
#include "cli/CommandError.h"
#include "platform/ControlEscapes.h"
#include "preferences/KTPreferences.h"
#include "volumes/GuestServers.h"

#include <QTextStream>

#include <algorithm>
#include <array>

namespace {

using ControlEscapes::escapeControls;

struct BooleanSetting {
    const QString& key;
    bool (KTPreferences::*get)() const;
    void (KTPreferences::*set)(bool);
};

const std::array<BooleanSetting, 6> booleanSettings {{
    {KTCREATEALIASSTR, &KTPreferences::createAlias, &KTPreferences::setCreateAlias},
    {KTUSEBACKSLASH, &KTPreferences::useBackwardSlash, &KTPreferences::setUseBackwardSlash},
    {KTMAPPINGENABLED, &KTPreferences::mappingEnabled, &KTPreferences::setMappingEnabled},
    {KTSHOWDETAILS, &KTPreferences::showDetails, &KTPreferences::setShowDetails},
    {KTUSEQUOTATIONMARKS, &KTPreferences::useQuotationMarks, &KTPreferences::setUseQuotationMarks},
    {KTDFSINSTALLED, &KTPreferences::dfsInstalled, &KTPreferences::setDfsInstalled},
}};

const QStringList& allKeys()
{
    static const QStringList keys {KTMOUNTMETHODSTR, KTCREATEALIASSTR, KTUSEBACKSLASH, KTDRIVEMAP,
        KTMAPPINGENABLED, KTSHOWDETAILS, KTUSEQUOTATIONMARKS, KTDFSINSTALLED};
    return keys;
}

const QStringList mountMethods {
    QStringLiteral("smb"), QStringLiteral("afp"), QStringLiteral("nfs"), QStringLiteral("cifs")};

const BooleanSetting* findBooleanSetting(const QString& key)
{
    for (const BooleanSetting& setting : booleanSettings) {
        if (setting.key == key)
            return &setting;
    }
    return nullptr;
}

int usageError(const QString& message)
{
    return CommandError::usage("settings", message);
}

int failure(const QString& message)
{
    CommandError::print("settings", message);
    return ExitFailure;
}

bool holdsControlCharacters(const QString& text)
{
    return escapeControls(text) != text;
}

QString mappingText(const KTDriveMapping& mapping, const QString& separator)
{
    return escapeControls(mapping.mapFrom().value_or(QString())) + separator
        + escapeControls(mapping.mapTo().value_or(QString()));
}

// The value lines of one key, as the application reads it.
QStringList valueLines(
    const KTPreferences& preferences, const QString& key, const QString& separator)
{
    if (const BooleanSetting* setting = findBooleanSetting(key))
        return {(preferences.*setting->get)() ? QStringLiteral("true") : QStringLiteral("false")};
    if (key == KTMOUNTMETHODSTR)
        return {escapeControls(preferences.mountMethod())};
    QStringList lines;
    for (const KTDriveMapping& mapping : preferences.driveMapping().value_or(DriveMappingList()))
        lines << mappingText(mapping, separator);
    return lines;
}

// Whether the stored value is of the key's type; otherwise the default applies.
bool holdsUsableValue(const PreferencesDomain& domain, const QString& key)
{
    const std::optional<QJsonValue> value = domain.value(key);
    if (!value)
        return false;
    if (key == KTMOUNTMETHODSTR)
        return value->isString();
    if (key == KTDRIVEMAP)
        return value->isArray();
    return value->isBool();
}

QString originMarker(const KTPreferences& preferences, const QString& key)
{
    if (!holdsUsableValue(preferences.domain(), key))
        return QStringLiteral("  (default)");
    if (preferences.domain().source(key) == PreferencesDomain::Source::System)
        return QStringLiteral("  (system)");
    return {};
}

// Defaults shown in place of the user's file say so: they need not be what the user
// set. A file that is only unreadable fails the command, as its values are unknown.
int reportUnusableFile(const PreferencesDomain& domain)
{
    const std::optional<PreferencesFile::Problem>& problem = domain.userFileProblem();
    if (!problem)
        return ExitSuccess;
    const QString file = escapeControls(domain.paths().userFile);
    if (problem->isCorrupt()) {
        QTextStream(stderr) << "kestrova: settings: the settings file " << file
                            << " is corrupt: it " << problem->reason
                            << "; the defaults are shown\n";
        return ExitSuccess;
    }
    return failure(QStringLiteral("the settings file %1 %2; the defaults are shown")
                       .arg(file, problem->reason));
}

int listSettings(const KTPreferences& preferences)
{
    const int status = reportUnusableFile(preferences.domain());
    QTextStream out(stdout);
    const int keyWidth = 19;
    for (const QString& key : allKeys()) {
        QStringList lines = valueLines(preferences, key, QStringLiteral(" -> "));
        if (key == KTDRIVEMAP && lines.isEmpty())
            lines << (preferences.driveMapping() ? QStringLiteral("empty list")
                                                 : QStringLiteral("none"));
        out << key.leftJustified(keyWidth) << lines.first() << originMarker(preferences, key)
            << '\n';
        for (qsizetype index = 1; index < lines.size(); ++index)
            out << QString(keyWidth, QLatin1Char(' ')) << lines.at(index) << '\n';
    }
    return status;
}

int unknownKey(const QString& key)
{
    return usageError(QStringLiteral("unknown key %1 (keys: %2)")
                          .arg(escapeControls(key), allKeys().join(QStringLiteral(", "))));
}

int getSetting(const KTPreferences& preferences, const QString& key)
{
    if (!allKeys().contains(key))
        return unknownKey(key);
    const int status = reportUnusableFile(preferences.domain());
    QTextStream out(stdout);
    for (const QString& line : valueLines(preferences, key, QStringLiteral("\t")))
        out << line << '\n';
    return status;
}

int saveChanges(KTPreferences& preferences)
{
    const SynchronizeResult result = preferences.synchronizeChanges();
    if (!result.succeeded())
        return failure(QStringLiteral("cannot save the settings: %1").arg(*result.failure));
    return ExitSuccess;
}

int setBooleanSetting(
    KTPreferences& preferences, const BooleanSetting& setting, const QString& text)
{
    if (text != QLatin1String("true") && text != QLatin1String("false"))
        return usageError(QStringLiteral("%1 takes true or false, not %2")
                              .arg(setting.key, escapeControls(text)));
    (preferences.*setting.set)(text == QLatin1String("true"));
    return saveChanges(preferences);
}

int setMountMethod(KTPreferences& preferences, const QString& text)
{
    // Opening a shortcut ignores any other method, so a typing error is refused here
    // rather than silently mounting with "smb". Stored in the form the settings
    // window writes.
    const QString method = text.toLower();
    if (!mountMethods.contains(method)) {
        return usageError(QStringLiteral("%1 takes one of %2, not %3")
                              .arg(KTMOUNTMETHODSTR, mountMethods.join(QStringLiteral(", ")),
                                  escapeControls(text)));
    }
    preferences.setMountMethod(method);
    return saveChanges(preferences);
}

int setSetting(KTPreferences& preferences, const QString& key, const QString& text)
{
    if (const BooleanSetting* setting = findBooleanSetting(key))
        return setBooleanSetting(preferences, *setting, text);
    if (key == KTMOUNTMETHODSTR)
        return setMountMethod(preferences, text);
    if (key == KTDRIVEMAP)
        return usageError(QStringLiteral("%1 is changed with map and unmap").arg(KTDRIVEMAP));
    return unknownKey(key);
}

std::optional<QString> checkMappingText(const QString& what, const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("the %1 is empty").arg(what);
    if (holdsControlCharacters(text))
        return QStringLiteral("the %1 holds control characters").arg(what);
    return std::nullopt;
}

// Drive letters are matched ignoring case, as they are when mappings are applied.
bool mapsFrom(const KTDriveMapping& mapping, const QString& from)
{
    return mapping.mapFrom() && mapping.mapFrom()->compare(from, Qt::CaseInsensitive) == 0;
}

int mapDrive(KTPreferences& preferences, const QString& from, const QString& share)
{
    for (const auto& [what, text] : {std::pair {QStringLiteral("drive letter"), from},
             std::pair {QStringLiteral("share"), share}}) {
        if (std::optional<QString> problem = checkMappingText(what, text))
            return usageError(*problem);
    }
    preferences.mapDriveLetter(from, share);
    const int status = saveChanges(preferences);
    // Kept, but without effect until mappings are on: say so rather than seem to work.
    if (status == ExitSuccess && !preferences.mappingEnabled())
        CommandError::print("settings",
            QStringLiteral("drive mappings are off; turn them on with: kestrova settings set "
                           "mappingEnabled true"));
    return status;
}

int forgetGuestServers()
{
    GuestServers servers(GuestServers::defaultFile());
    if (const std::optional<QString> problem = servers.forgetAll())
        return failure(escapeControls(*problem));
    return ExitSuccess;
}

int unmapDrive(KTPreferences& preferences, const QString& from)
{
    // Checked against the list as last read; the removal itself applies to the list
    // stored when it is written. Unknown when the file could not be read: saving then
    // fails with the reason.
    const std::optional<PreferencesFile::Problem>& problem = preferences.domain().userFileProblem();
    const DriveMappingList list = preferences.driveMapping().value_or(DriveMappingList());
    if ((!problem || problem->isCorrupt())
        && std::none_of(list.begin(), list.end(),
            [&](const KTDriveMapping& mapping) { return mapsFrom(mapping, from); }))
        return failure(QStringLiteral("no mapping for %1").arg(escapeControls(from)));
    preferences.unmapDriveLetter(from);
    return saveChanges(preferences);
}

}

int runSettingsCommand(const QStringList& arguments)
{
    const QString action = arguments.value(0);
    const qsizetype count = arguments.size();
    KTPreferences& preferences = KTPreferences::defaultKTPreferences();
    if (count == 0)
        return listSettings(preferences);
    if (action == QLatin1String("get") && count == 2)
        return getSetting(preferences, arguments.at(1));
    if (action == QLatin1String("set") && count == 3)
        return setSetting(preferences, arguments.at(1), arguments.at(2));
    if (action == QLatin1String("map") && count == 3)
        return mapDrive(preferences, arguments.at(1), arguments.at(2));
    if (action == QLatin1String("unmap") && count == 2)
        return unmapDrive(preferences, arguments.at(1));
    if (action == QLatin1String("forget-guests") && count == 1)
        return forgetGuestServers();
    return usageError(QStringLiteral("unexpected arguments: %1")
                          .arg(escapeControls(arguments.join(QLatin1Char(' ')))));
}
