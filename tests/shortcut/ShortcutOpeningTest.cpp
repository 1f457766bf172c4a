#include "FakeOpeningSystem.h"
#include "shortcut/HVWindowsShortcut.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kShare = QStringLiteral("//srv/data");
const QString kMountPoint = QStringLiteral("/mnt/srv data");
const QString kTarget = QStringLiteral("\\\\srv\\data\\plans\\a.doc");
const QString kLocalPath = QStringLiteral("/mnt/srv data/plans/a.doc");
const QString kMountFailed = QStringLiteral("Mount of network drive failed");
const QString kTargetMissing = QStringLiteral("Target file does not exist");

class ShortcutOpening : public testing::Test {
protected:
    bool open(const QString& target)
    {
        m_shortcut = HVWindowsShortcut::initWithMountString(target);
        m_shortcut->setOpeningServices(m_system.services());
        return m_shortcut->openFile();
    }
    bool openAgain()
    {
        m_shortcut->setOpeningServices(m_system.services());
        return m_shortcut->openFile();
    }
    QString errorMessage() const { return m_shortcut->errorMessage().value_or(QString()); }
    QStringList eventsLike(const QString& prefix) const
    {
        return m_system.events.filter(QRegularExpression(QLatin1Char('^') + prefix));
    }

    FakeOpeningSystem m_system;
    LogCapture m_log;
    std::unique_ptr<HVWindowsShortcut> m_shortcut;
};

TEST_F(ShortcutOpening, OpensTargetOnMountedShareWithoutMountingOrWaiting)
{
    m_system.mounted.insert(kShare, kMountPoint);
    m_system.files.insert(kLocalPath, 0);
    m_system.confirmProgramTarget = [](const QString&, const ProgramTargetVerdict&) {
        return false;
    };

    EXPECT_TRUE(open(kTarget));
    EXPECT_EQ(m_system.opened, QStringList {kLocalPath});
    EXPECT_TRUE(eventsLike(QStringLiteral("confirm")).isEmpty()) << "a document is not asked for";
    EXPECT_TRUE(eventsLike(QStringLiteral("mount")).isEmpty());
    EXPECT_EQ(m_system.sleeps, 0);
    EXPECT_FALSE(m_shortcut->errorMessage());
    EXPECT_EQ(m_log.lines(),
        QStringList({QStringLiteral("Composed link is: ") + kLocalPath,
            QStringLiteral("Opening %1 with Viewer (viewer.desktop)").arg(kLocalPath)}));
}

TEST_F(ShortcutOpening, MissingTargetOnMountedShareFailsAtOnceEvenWithDfs)
{
    m_system.mounted.insert(kShare, kMountPoint);
    m_system.dfsInstalled = true;

    EXPECT_FALSE(open(kTarget));
    EXPECT_EQ(errorMessage(), kTargetMissing);
    EXPECT_EQ(m_system.sleeps, 0);
    EXPECT_TRUE(eventsLike(QStringLiteral("list")).isEmpty());
    EXPECT_EQ(m_log.lines(),
        QStringList({QStringLiteral("Composed link is: ") + kLocalPath,
            QStringLiteral("I have DFS Installed - do the additional check")}));
}

TEST_F(ShortcutOpening, FreshlyMountedTargetIsOpenedAfterWalkAndThirdTest)
{
    m_system.mountable.insert(kShare, kMountPoint);
    m_system.dfsInstalled = true;
    m_system.files.insert(kLocalPath, 3);

    EXPECT_TRUE(open(kTarget));
    const QString exists = QStringLiteral("exists ") + kLocalPath;
    const QStringList expected {QStringLiteral("lookup //srv/data"),
        QStringLiteral("mount //srv/data smb"), QStringLiteral("lookup //srv/data"), exists,
        QStringLiteral("list /"), QStringLiteral("list /mnt"), QStringLiteral("list /mnt/srv data"),
        QStringLiteral("list /mnt/srv data/plans"), QStringLiteral("sleep"), exists,
        QStringLiteral("sleep"), exists, QStringLiteral("sleep"), exists,
        QStringLiteral("open %1 with viewer.desktop").arg(kLocalPath)};
    EXPECT_EQ(m_system.events, expected);
    EXPECT_EQ(m_log.lines().mid(0, 3),
        QStringList({QStringLiteral("Composed link is: ") + kLocalPath,
            QStringLiteral("I have DFS Installed - do the additional check"),
            QStringLiteral("This could be a DFS problem, loop through all directories and see "
                           "if we have success")}));
}

TEST_F(ShortcutOpening, FreshlyMountedTargetThatNeverAppearsIsGivenUpAfterFifteenTests)
{
    m_system.mountable.insert(kShare, kMountPoint);
    m_system.dfsInstalled = true;

    EXPECT_FALSE(open(kTarget));
    EXPECT_EQ(m_system.sleeps, 15);
    EXPECT_EQ(eventsLike(QStringLiteral("exists")).size(), 16);
    EXPECT_EQ(errorMessage(), kTargetMissing);
    EXPECT_EQ(m_log.lines().last(),
        QStringLiteral("Giving up after 15 retries. Still no success with mounting"));
}

TEST_F(ShortcutOpening, FreshlyMountedMissingTargetWithoutDfsFailsAtOnce)
{
    m_system.mountable.insert(kShare, kMountPoint);
    m_system.files.insert(kLocalPath, 3);

    EXPECT_FALSE(open(kTarget));
    EXPECT_EQ(eventsLike(QStringLiteral("mount")).size(), 1);
    EXPECT_EQ(m_system.sleeps, 0);
    EXPECT_EQ(errorMessage(), kTargetMissing);
    EXPECT_EQ(m_log.lines().last(), QStringLiteral("No DFS installed. No file found"));
}

TEST_F(ShortcutOpening, MountPointUnknownAfterMountIsAMissingTargetWithoutWait)
{
    m_system.mountable.insert(kShare, kMountPoint);
    m_system.mountPointLostAfterMount = true;
    m_system.dfsInstalled = true;

    EXPECT_FALSE(open(kTarget));
    EXPECT_EQ(errorMessage(), kTargetMissing);
    EXPECT_EQ(m_system.sleeps, 0);
    EXPECT_TRUE(eventsLike(QStringLiteral("exists")).isEmpty());
    EXPECT_EQ(m_log.lines().first(), QStringLiteral("Composed link is: (none)"));
}

TEST_F(ShortcutOpening, LocalTargetIsLookedForBelowRootAndNeverMountedNorWaitedFor)
{
    m_system.dfsInstalled = true;
    m_system.files.insert(QStringLiteral("/X:/dir/file.doc"), 0);

    EXPECT_TRUE(open(QStringLiteral("X:\\dir\\file.doc")));
    EXPECT_EQ(m_system.opened, QStringList {QStringLiteral("/X:/dir/file.doc")});

    EXPECT_FALSE(open(QStringLiteral("X:\\dir\\missing.doc")));
    EXPECT_EQ(errorMessage(), kTargetMissing);
    EXPECT_TRUE(eventsLike(QStringLiteral("(lookup|mount|list|sleep)")).isEmpty());
}

TEST_F(ShortcutOpening, FailedMountWithTheShortcutsMethodSetsItsMessageAndOpensNothing)
{
    m_system.dfsInstalled = true;
    m_shortcut = HVWindowsShortcut::initWithMountString(kTarget);
    ASSERT_TRUE(m_shortcut->setMountMethod(QStringLiteral("AFP")));

    EXPECT_FALSE(openAgain());
    EXPECT_EQ(errorMessage(), kMountFailed);
    EXPECT_EQ(m_system.events,
        QStringList({QStringLiteral("lookup //srv/data"), QStringLiteral("mount //srv/data AFP")}));
    EXPECT_TRUE(m_log.lines().isEmpty());
}

TEST_F(ShortcutOpening, SuccessLeavesEarlierErrorMessage)
{
    ASSERT_FALSE(open(kTarget));
    ASSERT_EQ(errorMessage(), kMountFailed);

    m_system.mountable.insert(kShare, kMountPoint);
    m_system.files.insert(kLocalPath, 0);
    EXPECT_TRUE(openAgain());
    EXPECT_EQ(errorMessage(), kMountFailed);
}

TEST_F(ShortcutOpening, ParentReferencesStayWithinTheShare)
{
    m_system.mounted.insert(kShare, kMountPoint);
    m_system.files.insert(kMountPoint + QStringLiteral("/etc/passwd"), 0);
    m_system.files.insert(kMountPoint + QStringLiteral("/b.doc"), 0);

    EXPECT_TRUE(open(QStringLiteral("\\\\srv\\data\\..\\..\\..\\etc\\passwd")));
    EXPECT_TRUE(open(QStringLiteral("\\\\srv\\data\\plans\\..\\b.doc")));
    EXPECT_EQ(m_system.opened,
        QStringList(
            {kMountPoint + QStringLiteral("/etc/passwd"), kMountPoint + QStringLiteral("/b.doc")}));
}

TEST_F(ShortcutOpening, NoApplicationForTheTypeFailsWithAMessage)
{
    m_system.mounted.insert(kShare, kMountPoint);
    m_system.files.insert(kLocalPath, 0);
    m_system.application.reset();

    EXPECT_FALSE(open(kTarget));
    EXPECT_EQ(errorMessage(),
        QStringLiteral(
            "No application is set to open \u201ca.doc\u201d (type application/msword)."));
    EXPECT_TRUE(eventsLike(QStringLiteral("open")).isEmpty());
}

TEST_F(ShortcutOpening, RefusedLaunchReplacesAnEarlierMessageWithItsReason)
{
    ASSERT_FALSE(open(kTarget));
    m_system.mounted.insert(kShare, kMountPoint);
    m_system.files.insert(kLocalPath, 0);
    m_system.launch = {false, std::nullopt, QStringLiteral("Failed to execute child process")};

    EXPECT_FALSE(openAgain());
    EXPECT_EQ(errorMessage(),
        QStringLiteral(
            "\u201ca.doc\u201d could not be opened with Viewer: Failed to execute child process"));
}

struct ActivationCase {
    const char* name;
    QList<std::optional<FakeOpeningSystem::Instance>> instances;
    int activations;
    int sleeps;
};

void PrintTo(const ActivationCase& value, std::ostream* out)
{
    *out << value.name;
}

class Activation : public ShortcutOpening, public testing::WithParamInterface<ActivationCase> { };

TEST_P(Activation, BringsTheApplicationToTheFront)
{
    m_system.mounted.insert(kShare, kMountPoint);
    m_system.files.insert(kLocalPath, 0);
    m_system.instances = GetParam().instances;

    EXPECT_TRUE(open(kTarget));
    EXPECT_EQ(m_system.activations, GetParam().activations);
    EXPECT_EQ(m_system.sleeps, GetParam().sleeps);
}

using Instance = FakeOpeningSystem::Instance;
const Instance kLaunching {false, false};
const Instance kFinished {false, true};
const Instance kActiveLaunching {true, false};

INSTANTIATE_TEST_SUITE_P(ShortcutOpening, Activation,
    testing::Values(ActivationCase {"notRunning", {}, 0, 0},
        ActivationCase {"alreadyRunning", {kFinished}, 1, 0},
        ActivationCase {"activeWhileLaunching", {kActiveLaunching}, 1, 0},
        ActivationCase {"neverFinishesLaunching", {kLaunching}, 6, 5},
        ActivationCase {"finishesAtThirdLook", {kLaunching, kLaunching, kFinished}, 3, 2},
        ActivationCase {"quitsWhileLaunching", {kLaunching, std::nullopt}, 1, 1}),
    [](const testing::TestParamInfo<ActivationCase>& param) { return param.param.name; });

struct ProgramCase {
    const char* name;
    std::optional<bool> answer; // none: nobody can be asked
    bool opened;
};

void PrintTo(const ProgramCase& value, std::ostream* out)
{
    *out << value.name;
}

class ProgramTargetRule : public ShortcutOpening,
                          public testing::WithParamInterface<ProgramCase> { };

TEST_P(ProgramTargetRule, OpensAProgramOnlyWhenAllowed)
{
    const QString program = kMountPoint + QStringLiteral("/setup.exe");
    m_system.mounted.insert(kShare, kMountPoint);
    m_system.files.insert(program, 0);
    QList<ProgramTargetVerdict> asked;
    if (GetParam().answer) {
        m_system.confirmProgramTarget = [&](const QString&, const ProgramTargetVerdict& verdict) {
            asked << verdict;
            return *GetParam().answer;
        };
    }

    EXPECT_EQ(open(QStringLiteral("\\\\srv\\data\\setup.exe")), GetParam().opened);
    EXPECT_EQ(m_system.opened, GetParam().opened ? QStringList {program} : QStringList());
    EXPECT_EQ(asked.size(), GetParam().answer ? 1 : 0);
    if (!asked.isEmpty()) {
        EXPECT_TRUE(asked.first().isProgram());
    }
    if (!GetParam().opened) {
        EXPECT_EQ(errorMessage(),
            QStringLiteral("\u201csetup.exe\u201d was not opened because it is a program: its name "
                           "ends in .exe (a Windows program); its type is "
                           "application/x-ms-dos-executable (a Windows program). Kestrova opens "
                           "documents from shortcuts, not programs."));
    }
}

INSTANTIATE_TEST_SUITE_P(ShortcutOpening, ProgramTargetRule,
    testing::Values(ProgramCase {"nobodyToAsk", std::nullopt, false},
        ProgramCase {"userCancels", false, false}, ProgramCase {"userAllows", true, true}),
    [](const testing::TestParamInfo<ProgramCase>& param) { return param.param.name; });

// Whether an execute bit counts is a matter of the file system that holds the target, not
// of how the shortcut names it: a text marked executable on a local disk is a script
// also when a share is "mounted" there.
TEST_F(ShortcutOpening, ExecuteBitCountsOnALocalDiskWhateverTheShortcutNames)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("notes.txt"));
    QFile text(path);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("words\n") == 6);
    text.close();
    ASSERT_TRUE(text.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_system.mounted.insert(kShare, folder.path());
    m_system.files.insert(path, 0);
    m_system.files.insert(QLatin1Char('/') + path, 0);

    for (const QString& target : {QStringLiteral("\\\\srv\\data\\notes.txt"), path}) {
        EXPECT_FALSE(open(target)) << target.toStdString();
        EXPECT_TRUE(errorMessage().contains(QLatin1String("it is marked executable")))
            << errorMessage().toStdString();
    }
    EXPECT_TRUE(m_system.opened.isEmpty());
}

}
