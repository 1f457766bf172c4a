#include "preferences/KTPreferences.h"

#include "PreferencesTestFolder.h"

#include <gtest/gtest.h>

namespace {

// What the store's getter of a key reads, as text; the list as FROM=TO items, "-" for
// no text.
QString reading(const KTPreferences& store, const QString& key)
{
    const std::map<QString, bool (KTPreferences::*)() const> booleans {
        {KTCREATEALIASSTR, &KTPreferences::createAlias},
        {KTUSEBACKSLASH, &KTPreferences::useBackwardSlash},
        {KTMAPPINGENABLED, &KTPreferences::mappingEnabled},
        {KTSHOWDETAILS, &KTPreferences::showDetails},
        {KTUSEQUOTATIONMARKS, &KTPreferences::useQuotationMarks},
        {KTDFSINSTALLED, &KTPreferences::dfsInstalled}};
    if (booleans.contains(key))
        return (store.*booleans.at(key))() ? QStringLiteral("true") : QStringLiteral("false");
    if (key == KTMOUNTMETHODSTR)
        return store.mountMethod();
    const std::optional<KTDriveMappingList> list = store.driveMapping();
    if (!list)
        return QStringLiteral("none");
    QStringList items;
    for (const KTDriveMapping& mapping : *list)
        items << mapping.mapFrom().value_or(QStringLiteral("-")) + QLatin1Char('=')
                + mapping.mapTo().value_or(QStringLiteral("-"));
    return items.join(QLatin1Char(' '));
}

}

TEST(KTPreferences, GettersReadOnlyValuesOfTheirTypeAndDefaultOtherwise)
{
    // The key, the JSON value stored (none: no key), what the getter reads.
    const char* const cases[][3] = {{"createAlias", nullptr, "false"},
        {"useBackslash", "true", "true"}, {"mappingEnabled", "1", "false"},
        {"showDetails", R"("true")", "false"}, {"useQuotationMarks", "[true]", "false"},
        {"dfsInstalled", "null", "false"}, {"mountMethod", nullptr, "smb"},
        {"mountMethod", R"("gopher")", "gopher"}, {"mountMethod", "7", "smb"},
        {"driveMapping", nullptr, "none"}, {"driveMapping", R"("X:")", "none"},
        {"driveMapping", "[]", ""},
        {"driveMapping", R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "Y:"},
            {"driveName": "c"}, {"driveLetter": 5, "driveName": ["d"]}, "e", null])",
            "X:=a Y:=Map To -=c -=Map To"}};
    for (const auto& [key, stored, expected] : cases) {
        SCOPED_TRACE(std::string(key) + " = " + (stored ? stored : "none"));
        PreferencesTestFolder folder;
        if (stored)
            folder.writeUserFile(QByteArray("{\"") + key + "\": " + stored + '}');
        PreferencesDomain domain(folder.paths());
        EXPECT_EQ(reading(KTPreferences(domain), QLatin1String(key)), QLatin1String(expected));
    }
}

TEST(KTPreferences, ChangesStayInTheProcessUntilSynchronisedAndNeverCopyTheSystemLayer)
{
    PreferencesTestFolder folder;
    folder.writeSystemFile(R"({"mountMethod": "nfs", "dfsInstalled": true})");
    folder.writeSystemFile(R"({"mountMethod": "cifs", "showDetails": true})", 2);
    folder.writeUserFile(R"({"mountMethod": "afp", "dfsInstalled": false})");
    PreferencesDomain domain(folder.paths());
    PreferencesDomain otherDomain(folder.paths());
    KTPreferences store(domain);
    KTPreferences other(otherDomain);
    EXPECT_TRUE(store.showDetails()) << "a key the user has not set";
    EXPECT_FALSE(store.dfsInstalled()) << "the user's file wins";

    store.setMountMethod(std::nullopt);
    store.setCreateAlias(true);
    store.setDriveMapping(
        KTDriveMappingList {KTDriveMapping(QStringLiteral("Y:"), QStringLiteral("b")),
            KTDriveMapping(QStringLiteral("Q:"), std::nullopt), KTDriveMapping(),
            KTDriveMapping(std::nullopt, QStringLiteral("lost"))});
    EXPECT_EQ(store.mountMethod(), QStringLiteral("nfs")) << "the most important system file";
    ASSERT_TRUE(store.synchronizeChanges().succeeded());
    EXPECT_FALSE(other.createAlias()) << "a getter reads as of the last synchronisation";
    other.preferencesChanged();
    EXPECT_TRUE(other.createAlias());
    EXPECT_EQ(folder.userFileJson(), json(R"({"dfsInstalled": false, "createAlias": true,
        "driveMapping": [{"driveLetter": "Y:", "driveName": "b"},
                         {"driveLetter": "Map From", "driveName": "Map To"}]})"));
}
