#include "preferences/KTPreferences.h"

#include "PreferencesTestFolder.h"
#include "support/LogCapture.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

struct BooleanAccessors {
    const char* key;
    bool (KTPreferences::*get)() const;
    void (KTPreferences::*set)(bool);
};

const BooleanAccessors booleanAccessors[] = {
    {"createAlias", &KTPreferences::createAlias, &KTPreferences::setCreateAlias},
    {"useBackslash", &KTPreferences::useBackwardSlash, &KTPreferences::setUseBackwardSlash},
    {"mappingEnabled", &KTPreferences::mappingEnabled, &KTPreferences::setMappingEnabled},
    {"showDetails", &KTPreferences::showDetails, &KTPreferences::setShowDetails},
    {"useQuotationMarks", &KTPreferences::useQuotationMarks, &KTPreferences::setUseQuotationMarks},
    {"dfsInstalled", &KTPreferences::dfsInstalled, &KTPreferences::setDfsInstalled},
};

// A store over a temporary domain; the file is read when the store is made.
class KTPreferencesTest : public testing::Test {
protected:
    KTPreferences& store()
    {
        if (!m_preferences) {
            m_domain.emplace(m_folder.paths());
            m_preferences.emplace(*m_domain);
        }
        return *m_preferences;
    }
    void storeFile(const char* json) { m_folder.writeUserFile(QByteArray(json)); }
    QJsonObject savedFile()
    {
        EXPECT_TRUE(store().synchronizeChanges().succeeded());
        return m_folder.userFileObject().value_or(QJsonObject());
    }

    PreferencesTestFolder m_folder;
    std::optional<PreferencesDomain> m_domain;
    std::optional<KTPreferences> m_preferences;
};

std::optional<QString> text(const char* value)
{
    return QString::fromUtf8(value);
}

}

TEST_F(KTPreferencesTest, EmptyDomainGivesDefaults)
{
    for (const BooleanAccessors& accessors : booleanAccessors)
        EXPECT_FALSE((store().*accessors.get)()) << accessors.key;
    EXPECT_EQ(store().mountMethod(), QStringLiteral("smb"));
    EXPECT_FALSE(store().driveMapping().has_value());
}

TEST_F(KTPreferencesTest, EachBooleanAccessorUsesItsOwnKey)
{
    for (const BooleanAccessors& accessors : booleanAccessors) {
        SCOPED_TRACE(accessors.key);
        (store().*accessors.set)(true);
        const QJsonObject saved = savedFile();
        EXPECT_EQ(saved.value(QLatin1String(accessors.key)), QJsonValue(true));
        EXPECT_TRUE((store().*accessors.get)());
        (store().*accessors.set)(false);
        EXPECT_EQ(savedFile().value(QLatin1String(accessors.key)), QJsonValue(false));
    }
    EXPECT_EQ(static_cast<size_t>(savedFile().size()), std::size(booleanAccessors));
}

TEST_F(KTPreferencesTest, BooleanKeysReadOnlyStoredBooleans)
{
    const std::pair<const char*, bool> cases[] = {{"true", true}, {"false", false}, {"1", false},
        {"0", false}, {"\"true\"", false}, {"\"1\"", false}, {"null", false}, {"[true]", false},
        {"{\"value\": true}", false}};
    for (const auto& [stored, expected] : cases) {
        for (const BooleanAccessors& accessors : booleanAccessors) {
            SCOPED_TRACE(std::string(accessors.key) + " = " + stored);
            PreferencesTestFolder folder;
            folder.writeUserFile(QStringLiteral("{\"%1\": %2}")
                                     .arg(QLatin1String(accessors.key), QLatin1String(stored))
                                     .toUtf8());
            PreferencesDomain domain(folder.paths());
            EXPECT_EQ((KTPreferences(domain).*accessors.get)(), expected);
        }
    }
}

TEST_F(KTPreferencesTest, MountMethodReadsAnyStoredStringAndNothingElse)
{
    const std::pair<const char*, const char*> cases[] = {{"\"afp\"", "afp"},
        {"\"gopher\"", "gopher"}, {"\"CIFS\"", "CIFS"}, {"\"\"", ""}, {"7", "smb"}, {"true", "smb"},
        {"null", "smb"}, {"[\"afp\"]", "smb"}};
    for (const auto& [stored, expected] : cases) {
        SCOPED_TRACE(stored);
        PreferencesTestFolder folder;
        folder.writeUserFile(
            QStringLiteral("{\"mountMethod\": %1}").arg(QLatin1String(stored)).toUtf8());
        PreferencesDomain domain(folder.paths());
        EXPECT_EQ(KTPreferences(domain).mountMethod(), QString::fromUtf8(expected));
    }
}

TEST_F(KTPreferencesTest, SettingNoMountMethodRemovesTheKey)
{
    storeFile(R"({"mountMethod": "nfs", "createAlias": true})");
    store().setMountMethod(std::nullopt);
    EXPECT_EQ(store().mountMethod(), QStringLiteral("smb"));
    EXPECT_EQ(savedFile(), jsonObject(R"({"createAlias": true})"));
}

TEST_F(KTPreferencesTest, StoredMappingsReadInOrderWithPlaceholdersForMissingShares)
{
    storeFile(R"({"driveMapping": [
        {"driveLetter": "X:", "driveName": "\\\\fs1\\data"},
        {"driveLetter": "Y:"},
        {"driveName": "\\\\fs3\\home"},
        {"driveLetter": 5, "driveName": ["not text"]},
        "not a mapping", 17, null,
        {"driveLetter": "Z:", "driveName": "\\\\fs4\\last", "extra": true}]})");
    const std::optional<KTDriveMappingList> list = store().driveMapping();
    ASSERT_TRUE(list.has_value());
    const std::pair<std::optional<QString>, std::optional<QString>> expected[] = {
        {text("X:"), text("\\\\fs1\\data")},
        {text("Y:"), text("Map To")},
        {std::nullopt, text("\\\\fs3\\home")},
        {std::nullopt, text("Map To")},
        {text("Z:"), text("\\\\fs4\\last")},
    };
    ASSERT_EQ(static_cast<size_t>(list->size()), std::size(expected));
    for (qsizetype index = 0; index < list->size(); ++index) {
        SCOPED_TRACE(index);
        const auto& [mapFrom, mapTo] = expected[static_cast<size_t>(index)];
        EXPECT_EQ(list->at(index).mapFrom(), mapFrom);
        EXPECT_EQ(list->at(index).mapTo(), mapTo);
    }
}

TEST_F(KTPreferencesTest, StoredValueOtherThanAnArrayReadsAsNoList)
{
    for (const char* stored : {"{}", "\"X:\"", "3", "null", "false"}) {
        SCOPED_TRACE(stored);
        PreferencesTestFolder folder;
        folder.writeUserFile(
            QStringLiteral("{\"driveMapping\": %1}").arg(QLatin1String(stored)).toUtf8());
        PreferencesDomain domain(folder.paths());
        EXPECT_FALSE(KTPreferences(domain).driveMapping().has_value());
    }
}

TEST_F(KTPreferencesTest, WritingMappingsDropsThoseWithoutShareOrDriveLetter)
{
    KTDriveMapping noShare(text("Q:"), std::nullopt);
    KTDriveMapping noLetter(std::nullopt, text("\\\\fs9\\lost"));
    store().setDriveMapping(KTDriveMappingList {KTDriveMapping(text("Y:"), text("\\\\fs2\\b")),
        noShare, KTDriveMapping(), noLetter, KTDriveMapping(text("X:"), text("\\\\fs1\\a"))});
    EXPECT_EQ(savedFile(), jsonObject(R"({"driveMapping": [
        {"driveLetter": "Y:", "driveName": "\\\\fs2\\b"},
        {"driveLetter": "Map From", "driveName": "Map To"},
        {"driveLetter": "X:", "driveName": "\\\\fs1\\a"}]})"));
}

TEST_F(KTPreferencesTest, NoListLeavesTheStoredListAndAnEmptyListStaysEmpty)
{
    storeFile(R"({"driveMapping": [{"driveLetter": "X:", "driveName": "\\\\fs1\\a"}]})");
    store().setDriveMapping(std::nullopt);
    EXPECT_EQ(savedFile().value(QStringLiteral("driveMapping")).toArray().size(), 1);

    store().setDriveMapping(KTDriveMappingList());
    EXPECT_EQ(savedFile(), jsonObject(R"({"driveMapping": []})"));
    const std::optional<KTDriveMappingList> list = store().driveMapping();
    ASSERT_TRUE(list.has_value());
    EXPECT_TRUE(list->isEmpty());
}

TEST_F(KTPreferencesTest, SettersChangeOnlyThisProcessUntilSynchronised)
{
    store().setCreateAlias(true);
    store().setMountMethod(QStringLiteral("afp"));
    EXPECT_TRUE(store().createAlias());
    EXPECT_FALSE(m_folder.userFileBytes().has_value());

    PreferencesDomain otherDomain(m_folder.paths());
    KTPreferences other(otherDomain);
    EXPECT_FALSE(other.createAlias());

    ASSERT_TRUE(store().synchronizeChanges().succeeded());
    EXPECT_FALSE(other.createAlias()) << "a getter reads as of the last synchronisation";
    other.preferencesChanged();
    EXPECT_TRUE(other.createAlias());
    EXPECT_EQ(other.mountMethod(), QStringLiteral("afp"));
}

TEST_F(KTPreferencesTest, SystemLayerFillsKeysTheUserHasNotSet)
{
    m_folder.writeSystemFile(R"({"mappingEnabled": true, "mountMethod": "nfs",
        "driveMapping": [{"driveLetter": "S:", "driveName": "\\\\corp\\shared"}]})");
    m_folder.writeSystemFile(R"({"mountMethod": "cifs", "dfsInstalled": true})", 2);
    storeFile(R"({"mappingEnabled": false})");

    EXPECT_FALSE(store().mappingEnabled()) << "the user's file wins";
    EXPECT_EQ(store().mountMethod(), QStringLiteral("nfs")) << "the first system folder wins";
    EXPECT_TRUE(store().dfsInstalled());
    ASSERT_TRUE(store().driveMapping().has_value());
    EXPECT_EQ(store().driveMapping()->first().mapFrom(), text("S:"));

    store().setMountMethod(QStringLiteral("afp"));
    EXPECT_EQ(store().mountMethod(), QStringLiteral("afp"));
    store().setMountMethod(std::nullopt);
    EXPECT_EQ(store().mountMethod(), QStringLiteral("nfs"));
    EXPECT_EQ(savedFile(), jsonObject(R"({"mappingEnabled": false})"))
        << "system values are never copied into the user's file";
}

TEST(KTPreferencesSingleton, IsOneStoreOverTheUsersDomain)
{
    PreferencesTestFolder folder;
    qputenv("XDG_CONFIG_HOME", folder.configHome().toUtf8());
    qputenv("XDG_CONFIG_DIRS", folder.systemBase(1).toUtf8());
    // No session bus for this process: the store must work on without one.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kestrova-test-bus");
    LogCapture log;

    KTPreferences& preferences = KTPreferences::defaultKTPreferences();
    EXPECT_EQ(&preferences, &KTPreferences::defaultKTPreferences());
    ASSERT_EQ(log.lines().size(), 1) << log.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log.lines().first().startsWith(QStringLiteral("No session bus")));

    preferences.setShowDetails(true);
    EXPECT_TRUE(preferences.synchronizeChanges().succeeded());
    EXPECT_EQ(folder.userFileObject(), jsonObject(R"({"showDetails": true})"));
    EXPECT_EQ(log.lines().size(), 1);
}
