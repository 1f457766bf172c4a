#include "PreferencesTestFolder.h"
#include "preferences/KTPreferences.h"
#include "preferences/PreferencesNotifier.h"
#include "support/Eventually.h"
#include "support/ProgramRun.h"
#include "support/SessionBus.h"

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

using namespace Qt::StringLiterals;

namespace {

const QString worker = QStringLiteral(PREFERENCES_WORKER);
const QString kestrova = QStringLiteral(KESTROVA_PROGRAM);

QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(u' ');
}

void expectOnlyTheFileAndTheLock(const PreferencesTestFolder& folder)
{
    const QString name = QFileInfo(folder.userFile()).fileName();
    EXPECT_EQ(folder.userFolderEntries(), QStringList({name, name + u".lock"_s}));
}

// Runs the program once for each list of arguments, all at the same time; each must succeed.
void runAtOnce(const QString& program, const QList<QStringList>& argumentLists,
    const QProcessEnvironment& environment)
{
    std::vector<QProcess> processes(size_t(argumentLists.size()));
    for (size_t index = 0; index < processes.size(); ++index) {
        processes[index].setProcessEnvironment(environment);
        processes[index].start(program, argumentLists[qsizetype(index)]);
    }
    for (QProcess& process : processes) {
        ASSERT_TRUE(process.waitForFinished(120000));
        const ProgramRun run = ProgramRun::of(process);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    }
}

}

// A running store hears a change and then writes its own; two writers of different keys
// synchronising in turn both keep their last values.
TEST(PreferencesAcrossProcesses, ChangesOfEachProcessReachTheOthersAndAllAreKept)
{
    ASSERT_TRUE(SessionBus::isPrivate()) << "run under tests/harness/with-session-bus";
    PreferencesTestFolder folder;
    PreferencesDomain domain(folder.paths());
    PreferencesNotifier notifier(SessionBus::connect(), KTBUNDLENAME);
    KTPreferences hearer(domain, &notifier);
    hearer.setShowDetails(true);
    const ProgramRun setter = runProgram(kestrova, words("settings set mountMethod cifs"),
        folder.environment(QProcessEnvironment::systemEnvironment()));
    ASSERT_EQ(setter.exitCode, 0) << setter.errors.toStdString();
    EXPECT_TRUE(eventually([&] {
        QCoreApplication::processEvents();
        return hearer.mountMethod() == u"cifs"_s;
    }));
    EXPECT_EQ(folder.userFileJson(), json(R"({"mountMethod": "cifs", "showDetails": true})"));
    runAtOnce(worker, {words("count mountMethod 150"), words("count driveMapping 150")},
        folder.environment(QProcessEnvironment::systemEnvironment()));
    EXPECT_EQ(folder.userFileJson(), json(R"({"mountMethod": "method-150", "showDetails": true,
        "driveMapping": [{"driveLetter": "Z:", "driveName": "\\\\srv\\share-150"}]})"));
}

TEST(PreferencesAcrossProcesses, TwentyMappingsAddedAtOnceAreAllKept)
{
    PreferencesTestFolder folder;
    QList<QStringList> commands;
    for (int index = 0; index < 20; ++index)
        commands << QStringList {
            u"settings"_s, u"map"_s, QChar(u'D' + index) + u':', u"\\\\srv\\share%1"_s.arg(index)};
    runAtOnce(kestrova, commands, folder.environment());
    const QJsonDocument stored = QJsonDocument::fromJson(folder.userFileBytes().value_or(""));
    EXPECT_EQ(stored.object().value(u"driveMapping"_s).toArray().size(), 20);
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
        writer.start(worker, {u"alternate"_s});
        ASSERT_TRUE(waitForLine(writer, u"writing"_s));
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
    const QString denied = folder.userFile() + u" cannot be read: Permission denied"_s;
    const ProgramRun get =
        runProgram(kestrova, words("settings get mountMethod"), folder.environment(), asNobody);
    EXPECT_EQ(get.exitCode, 2);
    EXPECT_EQ(get.output, u"smb\n"_s);
    EXPECT_TRUE(get.errors.contains(denied + u"; the defaults are shown"_s))
        << get.errors.toStdString();
    const ProgramRun unmap =
        runProgram(kestrova, words("settings unmap X:"), folder.environment(), asNobody);
    EXPECT_EQ(unmap.exitCode, 2);
    EXPECT_TRUE(unmap.errors.contains(u"cannot save the settings: "_s + denied))
        << unmap.errors.toStdString();
    EXPECT_EQ(folder.userFileJson(), json(R"({"mountMethod": "nfs"})"));
    expectOnlyTheFileAndTheLock(folder);
}
