#include "PreferencesTestFolder.h"
#include "preferences/KTPreferences.h"
#include "preferences/PreferencesNotifier.h"
#include "support/Eventually.h"
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <grp.h>
#include <unistd.h>

namespace {

const QString worker = QStringLiteral(PREFERENCES_WORKER);
const QString kestrova = QStringLiteral(KESTROVA_PROGRAM);

QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}

void expectOnlyTheFileAndTheLock(const PreferencesTestFolder& folder)
{
    const QString name = QFileInfo(folder.userFile()).fileName();
    EXPECT_EQ(folder.userFolderEntries(), QStringList({name, name + QStringLiteral(".lock")}));
}

}

TEST(PreferencesAcrossProcesses, ChangeReachesARunningStoreWhichThenWritesItsOwn)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << bus.failure().toStdString();
    PreferencesTestFolder folder;
    PreferencesDomain domain(folder.paths());
    PreferencesNotifier notifier(bus.connect(), KTBUNDLENAME);
    KTPreferences hearer(domain, &notifier);
    // Hearing a change synchronises, which writes what is pending here too.
    hearer.setShowDetails(true);
    const ProgramRun setter = runProgram(
        kestrova, words("settings set mountMethod cifs"), folder.environment(bus.environment()));
    ASSERT_EQ(setter.exitCode, 0) << setter.errors.toStdString();
    EXPECT_TRUE(eventually([&] {
        QCoreApplication::processEvents();
        return hearer.mountMethod() == QStringLiteral("cifs");
    }));
    EXPECT_EQ(folder.userFileJson(), json(R"({"mountMethod": "cifs", "showDetails": true})"));
}

TEST(PreferencesAcrossProcesses, TwoWritersOfDifferentKeysBothKeepTheirLastValues)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << bus.failure().toStdString();
    PreferencesTestFolder folder;
    QProcess writers[2];
    const char* const keys[2] = {"mountMethod", "driveMapping"};
    for (int index = 0; index < 2; ++index) {
        writers[index].setProcessEnvironment(folder.environment(bus.environment()));
        writers[index].start(
            worker, {QStringLiteral("count"), QLatin1String(keys[index]), QStringLiteral("150")});
    }
    for (QProcess& writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(120000));
        const ProgramRun run = ProgramRun::of(writer);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    }
    EXPECT_EQ(folder.userFileJson(), json(R"({"mountMethod": "method-150",
        "driveMapping": [{"driveLetter": "Z:", "driveName": "\\\\srv\\share-150"}]})"));
}

TEST(PreferencesAcrossProcesses, TwentyMappingsAddedAtOnceAreAllKept)
{
    PreferencesTestFolder folder;
    QProcess commands[20];
    for (int index = 0; index < 20; ++index) {
        commands[index].setProcessEnvironment(folder.environment());
        commands[index].start(kestrova,
            {QStringLiteral("settings"), QStringLiteral("map"), QChar(u'D' + index) + u':',
                QStringLiteral("\\\\srv\\share%1").arg(index)});
    }
    for (QProcess& command : commands) {
        ASSERT_TRUE(command.waitForFinished(120000));
        const ProgramRun run = ProgramRun::of(command);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    }
    const QJsonDocument stored = QJsonDocument::fromJson(folder.userFileBytes().value_or(""));
    EXPECT_EQ(stored.object().value(QStringLiteral("driveMapping")).toArray().size(), 20);
}

TEST(PreferencesAcrossProcesses, WriterKilledAtAnyMomentLeavesOldOrNewValuesWhole)
{
    const std::string sets[2] = {json(R"({"mountMethod": "afp", "createAlias": true,
        "useBackslash": true, "mappingEnabled": true, "showDetails": true,
        "useQuotationMarks": true, "dfsInstalled": true,
        "driveMapping": [{"driveLetter": "X:", "driveName": "\\\\a\\a"}]})"),
        json(R"({"mountMethod": "nfs", "createAlias": false,
        "useBackslash": false, "mappingEnabled": false, "showDetails": false,
        "useQuotationMarks": false, "dfsInstalled": false,
        "driveMapping": [{"driveLetter": "Y:", "driveName": "\\\\b\\b"},
                         {"driveLetter": "Z:", "driveName": "\\\\c\\c"}]})")};
    PreferencesTestFolder folder;
    folder.writeUserFile(QByteArray::fromStdString(sets[0]));
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    SCOPED_TRACE("random seed " + std::to_string(seed));
    int seen[2] = {0, 0};
    for (int round = 0; round < 100; ++round) {
        QProcess writer;
        writer.setProcessEnvironment(folder.environment());
        writer.start(worker, {QStringLiteral("alternate")});
        ASSERT_TRUE(waitForLine(writer, QStringLiteral("writing")));
        QThread::usleep(random.bounded(20000U));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());
        const std::string onDisk = folder.userFileJson();
        ASSERT_TRUE(onDisk == sets[0] || onDisk == sets[1]) << "round " << round << ": " << onDisk;
        ++seen[onDisk == sets[0] ? 0 : 1];
    }
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0) << "no writer was killed after a write";
    // Whatever the killed writers left behind, the next writer cleans up.
    const ProgramRun cleaner =
        runProgram(kestrova, words("settings set createAlias true"), folder.environment());
    ASSERT_EQ(cleaner.exitCode, 0) << cleaner.errors.toStdString();
    expectOnlyTheFileAndTheLock(folder);
}

TEST(PreferencesAcrossProcesses, FileTheUserMayNotReadFailsTheCommandAndIsLeftAlone)
{
    PreferencesTestFolder folder;
    folder.writeUserFile(R"({"mountMethod": "nfs"})");
    // Root reads anything, so the program runs as nobody, whom the folders let through.
    for (const QString& path :
        {folder.root(), folder.configHome(), QFileInfo(folder.userFile()).path()})
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOther | QFile::WriteOther);
    QFile::setPermissions(folder.userFile(), QFile::ReadOwner | QFile::WriteOwner);
    const auto asNobody = [] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(127);
    };
    const QString denied = folder.userFile() + QStringLiteral(" cannot be read: Permission denied");
    const ProgramRun get =
        runProgram(kestrova, words("settings get mountMethod"), folder.environment(), asNobody);
    EXPECT_EQ(get.exitCode, 2);
    EXPECT_EQ(get.output, QStringLiteral("smb\n"));
    EXPECT_TRUE(get.errors.contains(denied + QStringLiteral("; the defaults are shown")))
        << get.errors.toStdString();
    const ProgramRun unmap =
        runProgram(kestrova, words("settings unmap X:"), folder.environment(), asNobody);
    EXPECT_EQ(unmap.exitCode, 2);
    EXPECT_TRUE(unmap.errors.contains(QStringLiteral("cannot save the settings: ") + denied))
        << unmap.errors.toStdString();
    EXPECT_EQ(folder.userFileJson(), json(R"({"mountMethod": "nfs"})"));
    expectOnlyTheFileAndTheLock(folder);
}
