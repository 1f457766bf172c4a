#include "PreferencesTestFolder.h"
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <grp.h>
#include <unistd.h>

namespace {

const QString worker = QStringLiteral(PREFERENCES_WORKER);
const QString kestrova = QStringLiteral(KESTROVA_PROGRAM);

// The two whole sets of values the worker's "alternate" writes in turn.
const char* const firstSet = R"({"mountMethod": "afp", "createAlias": true,
    "useBackslash": true, "mappingEnabled": true, "showDetails": true,
    "useQuotationMarks": true, "dfsInstalled": true,
    "driveMapping": [{"driveLetter": "X:", "driveName": "\\\\a\\a"}]})";
const char* const secondSet = R"({"mountMethod": "nfs", "createAlias": false,
    "useBackslash": false, "mappingEnabled": false, "showDetails": false,
    "useQuotationMarks": false, "dfsInstalled": false,
    "driveMapping": [{"driveLetter": "Y:", "driveName": "\\\\b\\b"},
                     {"driveLetter": "Z:", "driveName": "\\\\c\\c"}]})";

QProcessEnvironment withoutBus(const PreferencesTestFolder& folder)
{
    QProcessEnvironment environment = folder.environment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
        QStringLiteral("unix:path=/nonexistent/kestrova-test-bus"));
    return environment;
}

}

TEST(PreferencesAcrossProcesses, NotificationBringsTheChangeToARunningProcess)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << bus.failure().toStdString();
    PreferencesTestFolder folder;
    const QProcessEnvironment environment = bus.environment(folder.environment());

    QProcess watcher;
    watcher.setProcessEnvironment(environment);
    watcher.start(worker, {QStringLiteral("watch"), QStringLiteral("afp")});
    ASSERT_TRUE(waitForLine(watcher, QStringLiteral("ready")))
        << watcher.readAllStandardError().toStdString();

    const ProgramRun setter = runProgram(kestrova,
        {QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("mountMethod"),
            QStringLiteral("afp")},
        environment);
    ASSERT_EQ(setter.exitCode, 0) << setter.errors.toStdString();

    EXPECT_TRUE(waitForLine(watcher, QStringLiteral("seen afp")))
        << watcher.readAllStandardError().toStdString();
    ASSERT_TRUE(watcher.waitForFinished());
    EXPECT_EQ(watcher.exitCode(), 0);
}

TEST(PreferencesAcrossProcesses, TwoWritersOfDifferentKeysBothKeepTheirLastValues)
{
    constexpr int changes = 150;
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << bus.failure().toStdString();
    PreferencesTestFolder folder;
    QProcess writers[2];
    const QString keys[2] = {QStringLiteral("mountMethod"), QStringLiteral("driveMapping")};
    for (int index = 0; index < 2; ++index) {
        writers[index].setProcessEnvironment(bus.environment(folder.environment()));
        writers[index].start(
            worker, {QStringLiteral("count"), keys[index], QString::number(changes)});
    }
    for (QProcess& writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(120000));
        EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    }
    EXPECT_EQ(folder.userFileObject(), jsonObject(R"({"mountMethod": "method-150",
        "driveMapping": [{"driveLetter": "Z:", "driveName": "\\\\srv\\share-150"}]})"));
}

TEST(PreferencesAcrossProcesses, WriterKilledAtAnyMomentLeavesOldOrNewValuesWhole)
{
    constexpr int rounds = 100;
    PreferencesTestFolder folder;
    folder.writeUserFile(firstSet);
    const QJsonObject first = jsonObject(firstSet);
    const QJsonObject second = jsonObject(secondSet);
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    SCOPED_TRACE("random seed " + std::to_string(seed));

    int firstSeen = 0;
    int secondSeen = 0;
    for (int round = 0; round < rounds; ++round) {
        QProcess writer;
        writer.setProcessEnvironment(withoutBus(folder));
        writer.start(worker, {QStringLiteral("alternate")});
        ASSERT_TRUE(waitForLine(writer, QStringLiteral("writing")));
        QThread::usleep(random.bounded(20000U));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());

        const std::optional<QJsonObject> onDisk = folder.userFileObject();
        ASSERT_TRUE(onDisk.has_value()) << "round " << round << ": the file does not parse";
        ASSERT_TRUE(*onDisk == first || *onDisk == second) << "round " << round;
        (*onDisk == first ? firstSeen : secondSeen)++;
    }
    EXPECT_GT(firstSeen, 0);
    EXPECT_GT(secondSeen, 0) << "no writer was killed after a write";

    // Whatever the killed writers left behind, the next writer cleans up.
    const ProgramRun cleaner = runProgram(kestrova,
        {QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("createAlias"),
            QStringLiteral("true")},
        withoutBus(folder));
    ASSERT_EQ(cleaner.exitCode, 0) << cleaner.errors.toStdString();
    const QString fileName = QFileInfo(folder.userFile()).fileName();
    EXPECT_EQ(
        folder.userFolderEntries(), QStringList({fileName, fileName + QStringLiteral(".lock")}));
}

TEST(PreferencesAcrossProcesses, UnwritableFolderFailsTheChangeAndKeepsTheFile)
{
    PreferencesTestFolder folder;
    folder.writeUserFile(R"({"mountMethod": "nfs"})");
    const QString domainFolder = QFileInfo(folder.userFile()).path();
    // Root writes anywhere, so as root the program runs as nobody; the folders above
    // must let that user through.
    const bool asRoot = ::geteuid() == 0;
    for (const QString& path : {folder.root(), folder.configHome()})
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOther | QFile::ReadOther);
    QFile::setPermissions(
        domainFolder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(folder.userFile(), QFile::ReadOwner | QFile::ReadOther);
    std::function<void()> asNobody;
    if (asRoot) {
        asNobody = [] {
            const gid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                ::_exit(127);
        };
    }

    const ProgramRun change = runProgram(kestrova,
        {QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("mountMethod"),
            QStringLiteral("afp")},
        withoutBus(folder), asNobody);
    EXPECT_EQ(change.exitCode, 2);
    EXPECT_TRUE(change.errors.contains(QStringLiteral("cannot save the settings")))
        << change.errors.toStdString();
    EXPECT_EQ(folder.userFileObject(), jsonObject(R"({"mountMethod": "nfs"})"));

    const ProgramRun read = runProgram(kestrova,
        {QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("mountMethod")},
        withoutBus(folder), asNobody);
    EXPECT_EQ(read.exitCode, 0) << read.errors.toStdString();
    EXPECT_EQ(read.output, QStringLiteral("nfs\n"));
    QFile::setPermissions(domainFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
