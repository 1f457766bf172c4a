#include "preferences/PreferencesDomain.h"

#include "PreferencesTestFolder.h"
#include "preferences/PreferencesLock.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

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
        QFile newest(QFileInfo(folder.userFile()).path() + u'/' + kept.last());
        ASSERT_TRUE(newest.open(QIODevice::ReadOnly));
        EXPECT_EQ(newest.readAll(), cases[index]);
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
        if (test.spoil)
            ASSERT_TRUE(QFile::remove(folder.userFile()) && test.spoil(folder.userFile()));
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
    EXPECT_EQ(log.lines(),
        QStringList {QStringLiteral("Preferences not saved: %1; the changes are "
                                    "kept for the next synchronisation")
                         .arg(*result.failure)});
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

TEST(PreferencesPaths, FollowTheXdgBaseDirectoryRules)
{
    // XDG_CONFIG_HOME, XDG_CONFIG_DIRS, the user's folder, the system folders.
    const char* const cases[][4] = {{"/cfg", "/a:/b", "/cfg", "/a /b"},
        {"", "", "/home/tester/.config", "/etc/xdg"},
        {"relative/cfg", "relative:/c/", "/home/tester/.config", "/c"},
        {"/cfg/", "::", "/cfg", "/etc/xdg"}};
    const QString name = u"/kestrova/com.dovrane.Kestrova.json"_s;
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", "/home/tester");
    for (const auto& [configHome, configDirs, userFolder, systemFolders] : cases) {
        SCOPED_TRACE(std::string(configHome) + " | " + configDirs);
        qputenv("XDG_CONFIG_HOME", configHome);
        qputenv("XDG_CONFIG_DIRS", configDirs);
        const PreferencesPaths paths = PreferencesPaths::forDomain(u"com.dovrane.Kestrova"_s);
        EXPECT_EQ(paths.userFile, QString::fromUtf8(userFolder) + name);
        EXPECT_EQ(paths.systemFiles.join(u' '),
            QString::fromUtf8(systemFolders).replace(u' ', name + u' ') + name);
    }
    qputenv("HOME", savedHome);
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_DIRS");
}
