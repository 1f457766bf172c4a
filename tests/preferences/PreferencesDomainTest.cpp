#include "preferences/PreferencesDomain.h"

#include "PreferencesTestFolder.h"
#include "preferences/PreferencesFile.h"
#include "preferences/PreferencesLock.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QJsonValue text(const char* value)
{
    return QJsonValue(QString::fromUtf8(value));
}

void expectSynchronized(PreferencesDomain& domain)
{
    const SynchronizeResult result = domain.synchronize();
    EXPECT_TRUE(result.succeeded()) << result.failure.value_or(QString()).toStdString();
}

}

TEST(PreferencesDomain, ProcessesChangingDifferentKeysKeepBothChanges)
{
    PreferencesTestFolder folder;
    folder.writeUserFile(R"({"createAlias": true, "showDetails": true})");
    PreferencesDomain first(folder.paths());
    PreferencesDomain second(folder.paths());

    first.setValue(QStringLiteral("mountMethod"), text("nfs"));
    second.setValue(QStringLiteral("dfsInstalled"), QJsonValue(true));
    second.setValue(QStringLiteral("showDetails"), std::nullopt);
    expectSynchronized(first);
    expectSynchronized(second);

    const QJsonObject expected =
        jsonObject(R"({"createAlias": true, "mountMethod": "nfs", "dfsInstalled": true})");
    EXPECT_EQ(folder.userFileObject(), expected);
    expectSynchronized(first);
    EXPECT_EQ(first.value(QStringLiteral("dfsInstalled")), QJsonValue(true));
    EXPECT_FALSE(first.value(QStringLiteral("showDetails")).has_value());
}

TEST(PreferencesDomain, LastSynchronisationWinsPerKey)
{
    PreferencesTestFolder folder;
    PreferencesDomain first(folder.paths());
    PreferencesDomain second(folder.paths());
    second.setValue(QStringLiteral("mountMethod"), text("afp"));
    first.setValue(QStringLiteral("mountMethod"), text("nfs"));
    expectSynchronized(first);
    expectSynchronized(second);
    EXPECT_EQ(folder.userFileObject(), jsonObject(R"({"mountMethod": "afp"})"));
}

TEST(PreferencesDomain, MalformedFileReadsEmptyAndIsKeptBesideTheNewOne)
{
    const QByteArray cases[] = {"{\"createAlias\": tru", "", "[true, false]", "\"text\"",
        QByteArray("{\"a\":\0\xff\xfe}", 10), "{\"mountMethod\": \"afp\"} trailing"};
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toStdString());
        PreferencesTestFolder folder;
        folder.writeUserFile(bytes);
        LogCapture log;
        PreferencesDomain domain(folder.paths());
        EXPECT_FALSE(domain.value(QStringLiteral("createAlias")).has_value());
        ASSERT_EQ(log.lines().size(), 1);
        EXPECT_TRUE(log.lines().first().contains(folder.userFile()));

        domain.setValue(QStringLiteral("dfsInstalled"), QJsonValue(true));
        expectSynchronized(domain);
        EXPECT_EQ(folder.userFileObject(), jsonObject(R"({"dfsInstalled": true})"));
        QFile kept(folder.paths().corruptFile());
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), bytes) << "the bad file is kept unchanged";
        EXPECT_EQ(log.lines().size(), 2) << log.lines().join(QLatin1Char('\n')).toStdString();
    }
}

TEST(PreferencesDomain, BadFileIsLoggedOnceNotAtEverySynchronisation)
{
    PreferencesTestFolder folder;
    folder.writeUserFile("{not json");
    folder.writeSystemFile("[]");
    LogCapture log;
    PreferencesDomain domain(folder.paths());
    for (int round = 0; round < 3; ++round)
        expectSynchronized(domain);
    EXPECT_EQ(log.lines().size(), 2) << "one line for each bad file";
    EXPECT_FALSE(QFileInfo::exists(folder.paths().corruptFile())) << "nothing was written";
    EXPECT_EQ(folder.userFileBytes(), QByteArray("{not json"));
}

TEST(PreferencesDomain, BadSystemFileIsIgnoredAndLeftAlone)
{
    PreferencesTestFolder folder;
    folder.writeSystemFile("{broken", 1);
    folder.writeSystemFile(R"({"mountMethod": "cifs"})", 2);
    LogCapture log;
    PreferencesDomain domain(folder.paths());
    EXPECT_EQ(domain.value(QStringLiteral("mountMethod")), text("cifs"));
    domain.setValue(QStringLiteral("createAlias"), QJsonValue(true));
    expectSynchronized(domain);
    EXPECT_EQ(log.lines().size(), 1);
    EXPECT_FALSE(
        QFileInfo::exists(folder.paths().systemFiles.first() + QStringLiteral(".corrupt")));
}

TEST(PreferencesDomain, OversizedFileReadsAsUnreadable)
{
    PreferencesTestFolder folder;
    QByteArray huge = "{\"mountMethod\": \"";
    huge += QByteArray(PreferencesFile::maximumSize, 'a');
    huge += "\"}";
    folder.writeUserFile(huge);
    LogCapture log;
    PreferencesDomain domain(folder.paths());
    EXPECT_FALSE(domain.value(QStringLiteral("mountMethod")).has_value());
    EXPECT_EQ(log.lines().size(), 1);
}

TEST(PreferencesDomain, FolderThatCannotBeMadeKeepsThePendingValues)
{
    PreferencesTestFolder folder;
    // A file where the domain's folder should be: no one, not even root, can write
    // into it.
    const QString domainFolder = QFileInfo(folder.userFile()).path();
    QDir().mkpath(folder.configHome());
    QFile blocker(domainFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    LogCapture log;
    PreferencesDomain domain(folder.paths());
    domain.setValue(QStringLiteral("createAlias"), QJsonValue(true));
    const SynchronizeResult result = domain.synchronize();
    ASSERT_FALSE(result.succeeded());
    EXPECT_TRUE(result.failure->contains(domainFolder));
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains(*result.failure));
    EXPECT_EQ(domain.value(QStringLiteral("createAlias")), QJsonValue(true));
    EXPECT_TRUE(domain.hasPendingChanges());

    ASSERT_TRUE(QFile::remove(domainFolder));
    expectSynchronized(domain);
    EXPECT_EQ(folder.userFileObject(), jsonObject(R"({"createAlias": true})"));
}

TEST(PreferencesDomain, MissingConfigFolderIsCreatedPrivately)
{
    PreferencesTestFolder folder;
    PreferencesPaths paths = folder.paths();
    paths.userFile = folder.root() + QStringLiteral("/not/yet/there/kestrova/domain.json");
    PreferencesDomain domain(paths);
    EXPECT_FALSE(domain.value(QStringLiteral("mountMethod")).has_value());
    domain.setValue(QStringLiteral("mountMethod"), text("afp"));
    expectSynchronized(domain);
    EXPECT_TRUE(QFileInfo::exists(paths.userFile));
    struct stat status { };
    ASSERT_EQ(
        ::stat(QFile::encodeName(folder.root() + QStringLiteral("/not")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
}

TEST(PreferencesDomain, LeftoverTemporaryFilesOfKilledWritersAreRemoved)
{
    PreferencesTestFolder folder;
    const QString leftover = QFileInfo(folder.userFile()).path() + QStringLiteral("/.")
        + QFileInfo(folder.userFile()).fileName() + QStringLiteral(".Ab12Cd");
    folder.writeUserFile("{}");
    QFile(leftover).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFileInfo::exists(leftover));

    PreferencesDomain domain(folder.paths());
    domain.setValue(QStringLiteral("createAlias"), QJsonValue(false));
    expectSynchronized(domain);
    EXPECT_FALSE(QFileInfo::exists(leftover));
    const QString fileName = QFileInfo(folder.userFile()).fileName();
    EXPECT_EQ(
        folder.userFolderEntries(), QStringList({fileName, fileName + QStringLiteral(".lock")}));
}

TEST(PreferencesDomain, SettingsFileThatIsASymbolicLinkStaysOne)
{
    PreferencesTestFolder folder;
    const QString target = folder.root() + QStringLiteral("/dotfiles/kestrova.json");
    QDir().mkpath(QFileInfo(target).path());
    QDir().mkpath(QFileInfo(folder.userFile()).path());
    QFile targetFile(target);
    ASSERT_TRUE(targetFile.open(QIODevice::WriteOnly));
    targetFile.write(R"({"createAlias": true})");
    targetFile.close();
    ASSERT_TRUE(QFile::link(target, folder.userFile()));

    PreferencesDomain domain(folder.paths());
    domain.setValue(QStringLiteral("mountMethod"), text("afp"));
    expectSynchronized(domain);
    EXPECT_TRUE(QFileInfo(folder.userFile()).isSymLink());
    EXPECT_EQ(
        folder.userFileObject(), jsonObject(R"({"createAlias": true, "mountMethod": "afp"})"));
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
    const PreferencesLock afterwards(lockFile, std::chrono::milliseconds(30));
    EXPECT_TRUE(afterwards.isLocked());
}

TEST(PreferencesPaths, FollowTheXdgBaseDirectoryRules)
{
    struct Case {
        const char* configHome = nullptr;
        const char* configDirs = nullptr;
        const char* userFile = nullptr;
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
