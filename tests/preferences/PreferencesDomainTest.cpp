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

namespace {

const QString mountMethod = QStringLiteral("mountMethod");

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
    return QDir(user.path()).entryList({user.fileName() + QStringLiteral(".corrupt-*")});
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

        domain.setValue(QStringLiteral("dfsInstalled"), true);
        expectSynchronized(domain);
        EXPECT_EQ(folder.userFileJson(), json(R"({"dfsInstalled": true})"));
        const QStringList kept = keptCorruptFiles(folder);
        ASSERT_EQ(kept.size(), index + 1) << "an earlier corrupt file was replaced";
        QFile newest(QFileInfo(folder.userFile()).path() + QLatin1Char('/') + kept.last());
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
        {[](const QString& file) { return QFile::link(QStringLiteral("/proc/self/mem"), file); }, 1,
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
        EXPECT_EQ(domain.value(mountMethod), QJsonValue(QStringLiteral("nfs")));
        const std::string before = folder.userFileJson();
        domain.setValue(mountMethod, QString(test.size, QLatin1Char('a')));
        const SynchronizeResult result = domain.synchronize();
        ASSERT_FALSE(result.succeeded());
        EXPECT_TRUE(result.failure->contains(QLatin1String(test.failure)))
            << result.failure->toStdString();
        EXPECT_TRUE(domain.hasPendingChanges());
        EXPECT_EQ(folder.userFileJson(), before);
        EXPECT_EQ(folder.userFolderEntries().size(), 2) << "the file and the lock, nothing else";
    }
}

TEST(PreferencesDomain, FileOfTheLargestSizeIsWrittenAndReadBack)
{
    PreferencesTestFolder folder;
    PreferencesDomain domain(folder.paths());
    domain.setValue(mountMethod, QString(roomForMountMethod(), QLatin1Char('a')));
    expectSynchronized(domain);
    EXPECT_EQ(PreferencesDomain(folder.paths()).value(mountMethod), domain.value(mountMethod));
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
    domain.setValue(QStringLiteral("createAlias"), true);
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
    const QString target = folder.root() + QStringLiteral("/dotfiles.json");
    ASSERT_TRUE(QFile::rename(folder.userFile(), target));
    ASSERT_TRUE(QFile::link(target, folder.userFile()));
    PreferencesDomain domain(folder.paths());
    domain.setValue(mountMethod, QStringLiteral("afp"));
    expectSynchronized(domain);
    EXPECT_TRUE(QFileInfo(folder.userFile()).isSymLink());
    EXPECT_EQ(folder.userFileJson(), json(R"({"createAlias": true, "mountMethod": "afp"})"));
}

TEST(PreferencesLock, SecondHolderWaitsAndGivesUp)
{
    PreferencesTestFolder folder;
    const QString lockFile = folder.root() + QStringLiteral("/domain.lock");
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
    struct Case {
        const char* configHome;
        const char* configDirs;
        const char* userFile;
        QStringList systemFiles;
    };
    const QString name = QStringLiteral("/kestrova/com.dovrane.Kestrova.json");
    const Case cases[] = {
        {"/cfg", "/a:/b", "/cfg", {QStringLiteral("/a") + name, QStringLiteral("/b") + name}},
        {"", "", "/home/tester/.config", {QStringLiteral("/etc/xdg") + name}},
        {"relative/cfg", "relative:/c/", "/home/tester/.config", {QStringLiteral("/c") + name}},
        {"/cfg/", "::", "/cfg", {QStringLiteral("/etc/xdg") + name}},
    };
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", "/home/tester");
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.configHome) + " | " + test.configDirs);
        qputenv("XDG_CONFIG_HOME", test.configHome);
        qputenv("XDG_CONFIG_DIRS", test.configDirs);
        const PreferencesPaths paths =
            PreferencesPaths::forDomain(QStringLiteral("com.dovrane.Kestrova"));
        EXPECT_EQ(paths.userFile, QString::fromUtf8(test.userFile) + name);
        EXPECT_EQ(paths.systemFiles, test.systemFiles);
    }
    qputenv("HOME", savedHome);
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_DIRS");
}
