#include "PreferencesTestFolder.h"
#include "preferences/DriveMappingChanges.h"
#include "preferences/KTPreferences.h"
#include "preferences/PreferencesDomain.h"
#include "preferences/PreferencesLock.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString mountMethod = u"mountMethod"_s;

void expectSynchronized(PreferencesDomain& domain)
{
    const SynchronizeResult result = domain.synchronize();
    EXPECT_TRUE(result.succeeded()) << result.failure.value_or(QString()).toStdString();
}

// The longest mount method that a file holding only it may hold.
qsizetype roomForMountMethod()
{
    const QJsonObject empty {{mountMethod, QString()}};
    return PreferencesFile::maximumSize - QJsonDocument(empty).toJson().size();
}

QStringList keptCorruptFiles(const PreferencesTestFolder& folder)
{
    const QFileInfo user(folder.userFile());
    return QDir(user.path()).entryList({user.fileName() + u".corrupt-*"_s});
}

TEST(PreferencesDomain, EachCorruptFileIsLoggedOnceAndKeptAsideUnderItsOwnName)
{
    const QByteArray cases[] = {"{\"createAlias\": tru", "", "[true, false]", "\"text\"",
        QByteArray("{\"a\":\0\xff\xfe}", 10), "{\"mountMethod\": \"afp\"} trailing",
        "{\"mountMethod\": \"" + QByteArray(PreferencesFile::maximumSize, 'a') + "\"}"};
    PreferencesTestFolder folder;
    folder.writeSystemFile("{broken");
    for (size_t index = 0; index < std::size(cases); ++index) {
        SCOPED_TRACE(index);
        folder.writeUserFile(cases[index]);
        LogCapture log;
        PreferencesDomain domain(folder.paths());
        expectSynchronized(domain);
        EXPECT_FALSE(domain.value(mountMethod).has_value());
        ASSERT_EQ(log.lines().size(), 2) << "one line for each bad file, once";
        EXPECT_TRUE(log.lines().first().contains(folder.userFile()));
        EXPECT_EQ(keptCorruptFiles(folder).size(), index) << "nothing moved without a write";

        domain.setValue(u"dfsInstalled"_s, true);
        expectSynchronized(domain);
        EXPECT_EQ(folder.userFileJson(), json(R"({"dfsInstalled": true})"));
        const QStringList kept = keptCorruptFiles(folder);
        ASSERT_EQ(kept.size(), index + 1) << "an earlier corrupt file was replaced";
        EXPECT_EQ(readFile(QFileInfo(folder.userFile()).path() + u'/' + kept.last()), cases[index]);
    }
    EXPECT_TRUE(QFileInfo::exists(folder.paths().systemFiles.first())) << "left alone";
}

TEST(PreferencesDomain, ChangeThatWouldLoseOrSpoilTheFileIsRefusedAndTheLastValuesStay)
{
    const struct {
        std::function<bool(const QString&)> spoil;
        qsizetype size;
        const char* failure;
    } cases[] = {
        // Reading a process's memory at offset 0, which is never mapped, fails with EIO.
        {[](const QString& file) { return QFile::link(u"/proc/self/mem"_s, file); }, 1,
            "cannot be read: Input/output error"},
        {[](const QString& file) { return QDir().mkdir(file); }, 1, "is not a regular file"},
        {nullptr, roomForMountMethod() + 1, "more than the 4194304"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.failure);
        PreferencesTestFolder folder;
        folder.writeUserFile(R"({"mountMethod": "nfs"})");
        LogCapture log;
        PreferencesDomain domain(folder.paths());
        if (test.spoil) {
            ASSERT_TRUE(QFile::remove(folder.userFile()) && test.spoil(folder.userFile()));
        }
        expectSynchronized(domain);
        EXPECT_EQ(domain.value(mountMethod), QJsonValue(u"nfs"_s));
        const std::string before = folder.userFileJson();
        domain.setValue(mountMethod, QString(test.size, u'a'));
        const SynchronizeResult result = domain.synchronize();
        ASSERT_FALSE(result.succeeded());
        EXPECT_TRUE(result.failure->contains(QLatin1String(test.failure)))
            << result.failure->toStdString();
        EXPECT_TRUE(domain.hasPendingChanges());
        EXPECT_EQ(folder.userFileJson(), before);
        EXPECT_EQ(folder.userFolderEntries().size(), 2) << "the file and the lock, nothing else";
    }
    PreferencesTestFolder folder;
    PreferencesDomain domain(folder.paths());
    domain.setValue(mountMethod, QString(roomForMountMethod(), u'a'));
    expectSynchronized(domain);
    EXPECT_EQ(PreferencesDomain(folder.paths()).value(mountMethod), domain.value(mountMethod))
        << "a file of the largest size";
}

TEST(PreferencesDomain, FolderThatCannotBeMadeKeepsThePendingValuesUntilItCan)
{
    PreferencesTestFolder folder;
    // A file where the domain's folder should be: not even root can write into it.
    const QString domainFolder = QFileInfo(folder.userFile()).path();
    QDir().mkpath(folder.configHome());
    QFile(domainFolder).open(QIODevice::WriteOnly);
    LogCapture log;
    PreferencesDomain domain(folder.paths());
    domain.setValue(u"createAlias"_s, true);
    const SynchronizeResult result = domain.synchronize();
    ASSERT_FALSE(result.succeeded());
    EXPECT_TRUE(result.failure->contains(domainFolder));
    ASSERT_TRUE(QFile::remove(domainFolder));
    expectSynchronized(domain);
    EXPECT_EQ(folder.userFileJson(), json(R"({"createAlias": true})"));
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(domainFolder).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u) << "a configuration folder is private";
}

TEST(PreferencesDomain, SettingsFileThatIsASymbolicLinkStaysOne)
{
    PreferencesTestFolder folder;
    folder.writeUserFile(R"({"createAlias": true})");
    const QString target = folder.root() + u"/dotfiles.json"_s;
    ASSERT_TRUE(QFile::rename(folder.userFile(), target));
    ASSERT_TRUE(QFile::link(target, folder.userFile()));
    PreferencesDomain domain(folder.paths());
    domain.setValue(mountMethod, u"afp"_s);
    expectSynchronized(domain);
    EXPECT_TRUE(QFileInfo(folder.userFile()).isSymLink());
    EXPECT_EQ(folder.userFileJson(), json(R"({"createAlias": true, "mountMethod": "afp"})"));
}

TEST(PreferencesLock, SecondHolderWaitsAndGivesUp)
{
    PreferencesTestFolder folder;
    const QString lockFile = folder.root() + u"/domain.lock"_s;
    {
        const PreferencesLock first(lockFile);
        ASSERT_TRUE(first.isLocked());
        const PreferencesLock second(lockFile, std::chrono::milliseconds(30));
        EXPECT_FALSE(second.isLocked());
        EXPECT_TRUE(second.failure()->contains(lockFile));
    }
    EXPECT_TRUE(PreferencesLock(lockFile, std::chrono::milliseconds(30)).isLocked());
}

// The list as FROM=TO items, "-" for no text; "none" for no list.
QString mappingsOf(const KTPreferences& store)
{
    QStringList items;
    for (const KTDriveMapping& mapping : store.driveMapping().value_or(DriveMappingList {}))
        items << mapping.mapFrom().value_or(u"-"_s) + u'=' + mapping.mapTo().value_or(u"-"_s);
    return store.driveMapping() ? items.join(u' ') : u"none"_s;
}

// Only a stored true counts; a mount method or list of another type reads as none was stored.
TEST(KTPreferences, GettersReadOnlyValuesOfTheirTypeAndDefaultOtherwise)
{
    const struct {
        const char* contents;
        bool useBackslash;
        const char* method;
        const char* mappings;
    } files[] = {{"{}", false, "smb", "none"},
        {R"({"useBackslash": true, "mappingEnabled": 1, "showDetails": "true",
            "useQuotationMarks": [true], "dfsInstalled": null, "mountMethod": 7,
            "driveMapping": "X:"})",
            true, "smb", "none"},
        {R"({"mountMethod": "gopher", "driveMapping": []})", false, "gopher", ""},
        {R"({"driveMapping": [{"driveLetter": "X:", "driveName": "a"}, {"driveLetter": "Y:"},
            {"driveName": "c"}, {"driveLetter": 5, "driveName": ["d"]}, "e", null]})",
            false, "smb", "X:=a Y:=Map To -=c -=Map To"}};
    for (const auto& [contents, useBackslash, method, mappings] : files) {
        SCOPED_TRACE(contents);
        PreferencesTestFolder folder;
        folder.writeUserFile(contents);
        PreferencesDomain domain(folder.paths());
        const KTPreferences store(domain);
        EXPECT_EQ(std::vector<bool>(
                      {store.createAlias(), store.useBackwardSlash(), store.mappingEnabled(),
                          store.showDetails(), store.useQuotationMarks(), store.dfsInstalled()}),
            std::vector<bool>({false, useBackslash, false, false, false, false}));
        EXPECT_EQ(store.mountMethod(), QLatin1String(method));
        EXPECT_EQ(mappingsOf(store), QLatin1String(mappings));
    }
}

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

// Each row: what was stored when editing began, the edit, what is stored when the changes
// are written, and what they make of it.
TEST(DriveMappingChanges, AppliesOnlyTheChangesToWhatIsStoredNow)
{
    const struct {
        const char* name;
        const char* base;
        std::function<void(DriveMappingChanges&)> edit;
        const char* current;
        const char* expected;
    } rows[] = {{"EditKeepsOtherElementsAndEntries", R"(X:=a 5 {"driveLetter":"Y:","note":1})",
                    [](DriveMappingChanges& c) { c.replace(1, mapping("Y:", "c")); },
                    R"(X:=a 5 {"driveLetter":"Y:","note":1})",
                    R"(X:=a 5 {"driveLetter":"Y:","driveName":"c","note":1})"},
        {"RemovalKeepsWhatAnotherProcessAdded", "X:=a Y:=b",
            [](DriveMappingChanges& c) { c.remove(0); }, "X:=a Y:=b Z:=c", "Y:=b Z:=c"},
        {"NewRowFollowsTheRowBeforeItThatStillExists", "X:=a Y:=b",
            [](DriveMappingChanges& c) { c.insert(2, mapping("N:", "n")); }, "X:=a Z:=c",
            "X:=a N:=n Z:=c"},
        {"EditOfAnElementChangedMeanwhileIsAddedBesideIt", "X:=a Y:=b",
            [](DriveMappingChanges& c) { c.replace(1, mapping("Y:", "mine")); }, "X:=a Y:=theirs",
            "X:=a Y:=mine Y:=theirs"},
        {"DuplicatesAreRemovedOneByOne", "X:=a X:=a", [](DriveMappingChanges& c) { c.remove(1); },
            "X:=a X:=a", "X:=a"},
        {"ChangedRowWithoutShareIsDropped", "X:=a",
            [](DriveMappingChanges& c) { c.replace(0, KTDriveMapping(u"X:"_s, {})); }, "X:=a", ""},
        {"ChangesReplaceAValueThatIsNoList", R"(={"X:":"a"})",
            [](DriveMappingChanges& c) { c.insert(0, mapping("N:", "n")); }, R"(="junk")", "N:=n"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DriveMappingChanges changes(stored(row.base));
        row.edit(changes);
        EXPECT_EQ(shown(changes.appliedTo(stored(row.current))), shown(stored(row.expected)));
    }
    // Rows outside the list change nothing.
    DriveMappingChanges changes(stored("X:=a"));
    EXPECT_FALSE(changes.insert(2, mapping("N:", "n")) || changes.insert(-1, mapping("N:", "n"))
        || changes.remove(1) || changes.replace(-1, mapping("N:", "n")) || changes.hasChanges());
    EXPECT_EQ(changes.count(), 1);
}

// Each store writes only its own changes: the window edits the list as it read it while the
// command adds to it; the system folders' values are never copied into the user's file.
TEST(KTPreferences, StoresSynchroniseOnlyTheirChangesOverTheSystemLayers)
{
    PreferencesTestFolder folder;
    folder.writeSystemFile(R"({"mountMethod": "nfs", "dfsInstalled": true})");
    folder.writeSystemFile(R"({"mountMethod": "cifs", "showDetails": true})", 2);
    folder.writeUserFile(R"({"mountMethod": "afp", "dfsInstalled": false, "useBackslash": 1,
        "driveMapping": [{"driveLetter": "X:", "driveName": "a"},
                         {"driveLetter": "Y:", "driveName": "b"}]})");
    PreferencesDomain windowDomain(folder.paths());
    PreferencesDomain commandDomain(folder.paths());
    KTPreferences window(windowDomain);
    KTPreferences command(commandDomain);
    EXPECT_TRUE(window.showDetails()) << "a key the user has not set";
    EXPECT_FALSE(window.dfsInstalled()) << "the user's file wins";
    window.setMountMethod(std::nullopt);
    EXPECT_EQ(window.mountMethod(), u"nfs"_s) << "the most important system file";
    DriveMappingChanges changes = window.driveMappingChanges();
    changes.remove(0);
    window.changeDriveMapping(changes);
    EXPECT_EQ(window.driveMapping()->size(), 1);

    command.setCreateAlias(true);
    command.mapDriveLetter(u"Z:"_s, u"c"_s);
    ASSERT_TRUE(command.synchronizeChanges().succeeded());
    EXPECT_FALSE(window.createAlias()) << "a getter reads as of the last synchronisation";
    ASSERT_TRUE(window.synchronizeChanges().succeeded());
    EXPECT_TRUE(window.createAlias());
    EXPECT_EQ(folder.userFileJson(), json(R"({"dfsInstalled": false, "useBackslash": 1,
        "createAlias": true, "driveMapping": [{"driveLetter": "Y:", "driveName": "b"},
                                              {"driveLetter": "Z:", "driveName": "c"}]})"));
    // A whole list replaced: entries without a letter or a share are not stored.
    command.setDriveMapping(
        DriveMappingList {KTDriveMapping(u"Y:"_s, u"b"_s), KTDriveMapping(u"Q:"_s, std::nullopt),
            KTDriveMapping(), KTDriveMapping(std::nullopt, u"lost"_s)});
    ASSERT_TRUE(command.synchronizeChanges().succeeded());
    EXPECT_EQ(folder.userFileJson(), json(R"({"dfsInstalled": false, "useBackslash": 1,
        "createAlias": true, "driveMapping": [{"driveLetter": "Y:", "driveName": "b"},
                                              {"driveLetter": "Map From", "driveName": "Map To"}]})"));
}

}
