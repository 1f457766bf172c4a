#include "preferences/KTPreferences.h"

#include "PreferencesTestFolder.h"
#include "preferences/DriveMappingChanges.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

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
        return (store.*booleans.at(key))() ? u"true"_s : u"false"_s;
    if (key == KTMOUNTMETHODSTR)
        return store.mountMethod();
    const std::optional<DriveMappingList> list = store.driveMapping();
    if (!list)
        return u"none"_s;
    QStringList items;
    for (const KTDriveMapping& mapping : *list)
        items << mapping.mapFrom().value_or(u"-"_s) + u'=' + mapping.mapTo().value_or(u"-"_s);
    return items.join(u' ');
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
        DriveMappingList {KTDriveMapping(u"Y:"_s, u"b"_s), KTDriveMapping(u"Q:"_s, std::nullopt),
            KTDriveMapping(), KTDriveMapping(std::nullopt, u"lost"_s)});
    EXPECT_EQ(store.mountMethod(), u"nfs"_s) << "the most important system file";
    ASSERT_TRUE(store.synchronizeChanges().succeeded());
    EXPECT_FALSE(other.createAlias()) << "a getter reads as of the last synchronisation";
    other.preferencesChanged();
    EXPECT_TRUE(other.createAlias());
    EXPECT_EQ(folder.userFileJson(), json(R"({"dfsInstalled": false, "createAlias": true,
        "driveMapping": [{"driveLetter": "Y:", "driveName": "b"},
                         {"driveLetter": "Map From", "driveName": "Map To"}]})"));
}

namespace {

// A stored value written short: "none" for no value, "=JSON" for a value that is no
// list, else the list's elements, where "X:=a" maps X: to a and any other is JSON.
std::optional<QJsonValue> stored(const char* text)
{
    QString json = QString::fromUtf8(text);
    if (json == QLatin1String("none"))
        return std::nullopt;
    if (json.startsWith(u'='))
        json.remove(0, 1);
    else
        json = u'['
            + json.replace(QRegularExpression(QStringLiteral(R"(([^\s={]+)=(\S+))")),
                      QStringLiteral(R"({"driveLetter":"\1","driveName":"\2"})"))
                  .split(u' ', Qt::SkipEmptyParts)
                  .join(u',')
            + u']';
    return QJsonDocument::fromJson('[' + json.toUtf8() + ']').array().first();
}

std::string shown(const std::optional<QJsonValue>& value)
{
    return value ? QJsonDocument(QJsonArray {*value}).toJson(QJsonDocument::Compact).toStdString()
                 : "none";
}

KTDriveMapping mapping(const char* from, const char* to)
{
    return KTDriveMapping(QString::fromUtf8(from), QString::fromUtf8(to));
}

struct ChangeCase {
    const char* name;
    const char* base; // stored when editing began
    std::function<void(DriveMappingChanges&)> edit;
    const char* current; // stored when the changes are written
    const char* expected;
};

class DriveMappingChangesCase : public testing::TestWithParam<ChangeCase> { };

}

TEST_P(DriveMappingChangesCase, AppliesOnlyTheChangesToWhatIsStoredNow)
{
    const ChangeCase& change = GetParam();
    DriveMappingChanges changes(stored(change.base));
    change.edit(changes);
    EXPECT_EQ(shown(changes.appliedTo(stored(change.current))), shown(stored(change.expected)));
}

INSTANTIATE_TEST_SUITE_P(DriveMappingChanges, DriveMappingChangesCase,
    testing::Values(
        ChangeCase {"EditKeepsOtherElementsAndEntries", R"(X:=a 5 {"driveLetter":"Y:","note":1})",
            [](DriveMappingChanges& c) { c.replace(1, mapping("Y:", "c")); },
            R"(X:=a 5 {"driveLetter":"Y:","note":1})",
            R"(X:=a 5 {"driveLetter":"Y:","driveName":"c","note":1})"},
        ChangeCase {"RemovalKeepsWhatAnotherProcessAdded", "X:=a Y:=b",
            [](DriveMappingChanges& c) { c.remove(0); }, "X:=a Y:=b Z:=c", "Y:=b Z:=c"},
        ChangeCase {"NewRowFollowsTheRowBeforeItThatStillExists", "X:=a Y:=b",
            [](DriveMappingChanges& c) { c.insert(2, mapping("N:", "n")); }, "X:=a Z:=c",
            "X:=a N:=n Z:=c"},
        ChangeCase {"EditOfAnElementChangedMeanwhileIsAddedBesideIt", "X:=a Y:=b",
            [](DriveMappingChanges& c) { c.replace(1, mapping("Y:", "mine")); }, "X:=a Y:=theirs",
            "X:=a Y:=mine Y:=theirs"},
        ChangeCase {"DuplicatesAreRemovedOneByOne", "X:=a X:=a",
            [](DriveMappingChanges& c) { c.remove(1); }, "X:=a X:=a", "X:=a"},
        ChangeCase {"ChangedRowWithoutShareIsDropped", "X:=a",
            [](DriveMappingChanges& c) { c.replace(0, KTDriveMapping(u"X:"_s, {})); }, "X:=a", ""},
        ChangeCase {"ChangesReplaceAValueThatIsNoList", R"(={"X:":"a"})",
            [](DriveMappingChanges& c) { c.insert(0, mapping("N:", "n")); }, R"(="junk")", "N:=n"}),
    [](const testing::TestParamInfo<ChangeCase>& row) { return std::string(row.param.name); });

TEST(DriveMappingChanges, RowsOutsideTheListChangeNothing)
{
    DriveMappingChanges changes(stored("X:=a"));
    EXPECT_FALSE(changes.insert(2, mapping("N:", "n")) || changes.insert(-1, mapping("N:", "n"))
        || changes.remove(1) || changes.replace(-1, mapping("N:", "n")) || changes.hasChanges());
    EXPECT_EQ(changes.count(), 1);
}

TEST(DriveMappingChanges, WindowAndCommandChangingTheListMeanwhileKeepBothChanges)
{
    PreferencesTestFolder folder;
    folder.writeUserFile(R"({"driveMapping": [{"driveLetter": "X:", "driveName": "a"},
        {"driveLetter": "Y:", "driveName": "b"}], "useBackslash": 1})");
    PreferencesDomain windowDomain(folder.paths());
    KTPreferences window(windowDomain);
    DriveMappingChanges changes = window.driveMappingChanges();
    changes.remove(0);
    window.changeDriveMapping(changes);
    EXPECT_EQ(window.driveMapping()->size(), 1);

    PreferencesDomain commandDomain(folder.paths());
    KTPreferences command(commandDomain);
    command.mapDriveLetter(u"Z:"_s, u"c"_s);
    ASSERT_TRUE(command.synchronizeChanges().succeeded());
    ASSERT_TRUE(window.synchronizeChanges().succeeded());
    EXPECT_EQ(folder.userFileJson(), json(R"({"useBackslash": 1, "driveMapping": [
        {"driveLetter": "Y:", "driveName": "b"}, {"driveLetter": "Z:", "driveName": "c"}]})"));
}
