#include "preferences/DriveMappingChanges.h"

#include "PreferencesTestFolder.h"
#include "preferences/KTPreferences.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A JSON value written as text; "none" for no value at all.
std::optional<QJsonValue> json(const char* text)
{
    if (QByteArray(text) == "none")
        return std::nullopt;
    return jsonObject((QByteArray(R"({"v": )") + text + '}').constData()).value(QLatin1String("v"));
}

std::string shown(const std::optional<QJsonValue>& value)
{
    if (!value)
        return "none";
    return QJsonDocument(QJsonArray {*value}).toJson(QJsonDocument::Compact).toStdString();
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

const auto editNothing = [](DriveMappingChanges&) {};

}

TEST_P(DriveMappingChangesCase, AppliesOnlyTheChangesToWhatIsStoredNow)
{
    const ChangeCase& change = GetParam();
    DriveMappingChanges changes(json(change.base));
    change.edit(changes);
    EXPECT_EQ(shown(changes.appliedTo(json(change.current))), shown(json(change.expected)));
}

INSTANTIATE_TEST_SUITE_P(DriveMappingChanges, DriveMappingChangesCase,
    testing::Values(ChangeCase {"UntouchedValueOfAnotherTypeStays", R"("X:=\\a")", editNothing,
                        R"("X:=\\a")", R"("X:=\\a")"},
        ChangeCase {"NoListBecomesAnEmptyOne", "none", editNothing, "none", "[]"},
        ChangeCase {"EditKeepsOtherElementsAndEntries",
            R"([{"driveLetter": "X:", "driveName": "a"}, 5,
                {"driveLetter": "Y:", "driveName": "b", "note": 1}])",
            [](DriveMappingChanges& c) { c.replace(1, mapping("Y:", "c")); },
            R"([{"driveLetter": "X:", "driveName": "a"}, 5,
                {"driveLetter": "Y:", "driveName": "b", "note": 1}])",
            R"([{"driveLetter": "X:", "driveName": "a"}, 5,
                {"driveLetter": "Y:", "driveName": "c", "note": 1}])"},
        ChangeCase {"RemovalKeepsWhatAnotherProcessAdded",
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "Y:", "driveName": "b"}])",
            [](DriveMappingChanges& c) { c.remove(0); },
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "Y:", "driveName": "b"},
                {"driveLetter": "Z:", "driveName": "c"}])",
            R"([{"driveLetter": "Y:", "driveName": "b"}, {"driveLetter": "Z:", "driveName": "c"}])"},
        ChangeCase {"NewRowFollowsTheRowBeforeItThatStillExists",
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "Y:", "driveName": "b"}])",
            [](DriveMappingChanges& c) { c.insert(2, mapping("N:", "n")); },
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "Z:", "driveName": "c"}])",
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "N:", "driveName": "n"},
                {"driveLetter": "Z:", "driveName": "c"}])"},
        ChangeCase {"EditOfAnElementChangedMeanwhileIsAddedBesideIt",
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "Y:", "driveName": "b"}])",
            [](DriveMappingChanges& c) { c.replace(1, mapping("Y:", "mine")); },
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "Y:", "driveName": "theirs"}])",
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "Y:", "driveName": "mine"},
                {"driveLetter": "Y:", "driveName": "theirs"}])"},
        ChangeCase {"DuplicatesAreRemovedOneByOne",
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "X:", "driveName": "a"}])",
            [](DriveMappingChanges& c) { c.remove(1); },
            R"([{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "X:", "driveName": "a"}])",
            R"([{"driveLetter": "X:", "driveName": "a"}])"},
        ChangeCase {"RowAtTheStartGoesBeforeElementsThatHoldNoMapping",
            R"([5, {"driveName": "s"}])",
            [](DriveMappingChanges& c) { c.insert(0, mapping("N:", "n")); },
            R"([5, {"driveName": "s"}])",
            R"([{"driveLetter": "N:", "driveName": "n"}, 5, {"driveName": "s"}])"},
        ChangeCase {"ChangedRowWithoutShareIsDropped",
            R"([{"driveLetter": "X:", "driveName": "a"}])",
            [](DriveMappingChanges& c) { c.replace(0, KTDriveMapping(QStringLiteral("X:"), {})); },
            R"([{"driveLetter": "X:", "driveName": "a"}])", "[]"},
        ChangeCase {"ChangesReplaceAValueThatIsNoList", R"({"X:": "a"})",
            [](DriveMappingChanges& c) { c.insert(0, mapping("N:", "n")); }, R"("junk")",
            R"([{"driveLetter": "N:", "driveName": "n"}])"}),
    [](const testing::TestParamInfo<ChangeCase>& row) { return std::string(row.param.name); });

TEST(DriveMappingChanges, RowsOutsideTheListChangeNothing)
{
    DriveMappingChanges changes(json(R"([{"driveLetter": "X:", "driveName": "a"}])"));
    EXPECT_FALSE(changes.insert(2, mapping("N:", "n")));
    EXPECT_FALSE(changes.insert(-1, mapping("N:", "n")));
    EXPECT_FALSE(changes.remove(1));
    EXPECT_FALSE(changes.replace(-1, mapping("N:", "n")));
    EXPECT_FALSE(changes.hasChanges());
    EXPECT_EQ(changes.count(), 1);
}

TEST(DriveMappingChanges, StoreAppliesThemToTheFileAsAnotherProcessLeftIt)
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
    KTDriveMappingList list = *command.driveMapping();
    list.append(mapping("Z:", "c"));
    command.setDriveMapping(list);
    ASSERT_TRUE(command.synchronizeChanges().succeeded());

    ASSERT_TRUE(window.synchronizeChanges().succeeded());
    EXPECT_EQ(shown(folder.userFileObject()->value(QStringLiteral("driveMapping"))),
        shown(json(R"([{"driveLetter": "Y:", "driveName": "b"},
            {"driveLetter": "Z:", "driveName": "c"}])")));
    EXPECT_EQ(folder.userFileObject()->value(QStringLiteral("useBackslash")), QJsonValue(1));
}
