#include "preferences/DriveMappingChanges.h"

#include "PreferencesTestFolder.h"
#include "preferences/KTPreferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A stored value written short: "none" for no value, "=JSON" for a value that is no
// list, else the list's elements, where "X:=a" maps X: to a and any other is JSON.
std::optional<QJsonValue> stored(const char* text)
{
    QString json = QString::fromUtf8(text);
    if (json == QLatin1String("none"))
        return std::nullopt;
    if (json.startsWith(QLatin1Char('=')))
        json.remove(0, 1);
    else
        json = QLatin1Char('[')
            + json.replace(QRegularExpression(QStringLiteral(R"(([^\s={]+)=(\S+))")),
                      QStringLiteral(R"({"driveLetter":"\1","driveName":"\2"})"))
                  .split(QLatin1Char(' '), Qt::SkipEmptyParts)
                  .join(QLatin1Char(','))
            + QLatin1Char(']');
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
            [](DriveMappingChanges& c) { c.replace(0, KTDriveMapping(QStringLiteral("X:"), {})); },
            "X:=a", ""},
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
    command.mapDriveLetter(QStringLiteral("Z:"), QStringLiteral("c"));
    ASSERT_TRUE(command.synchronizeChanges().succeeded());
    ASSERT_TRUE(window.synchronizeChanges().succeeded());
    EXPECT_EQ(folder.userFileJson(), json(R"({"useBackslash": 1, "driveMapping": [
        {"driveLetter": "Y:", "driveName": "b"}, {"driveLetter": "Z:", "driveName": "c"}]})"));
}
