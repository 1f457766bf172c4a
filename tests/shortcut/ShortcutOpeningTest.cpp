#include "FakeOpeningSystem.h"
#include "filesvc/JLCarbonUtilities.h"
#include "shortcut/HVWindowsShortcut.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"

#include <QDir>
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

enum ShareState { Unmountable, Mounted, Mountable, LostAfterMount };

struct OpeningCase {
    const char* name;
    QString target;
    ShareState share;
    bool dfs;
    QString file; // the one file there is, appearing after `appearsAfter` seconds
    int appearsAfter;
    const char* error; // empty: `file` is opened
    int sleeps, mounts, existsTests;
    bool listed;
    const char* firstLog; // null: not checked
    const char* lastLog;
};

class Opening : public ShortcutOpening, public testing::WithParamInterface<OpeningCase> { };

// A document is opened without asking, whatever the user would answer.
TEST_P(Opening, MountsWaitsAndOpensAsTheShareAndTheFileAllow)
{
    const OpeningCase& row = GetParam();
    if (row.share == Mounted)
        m_system.mounted.insert(kShare, kMountPoint);
    if (row.share >= Mountable)
        m_system.mountable.insert(kShare, kMountPoint);
    m_system.mountPointLostAfterMount = row.share == LostAfterMount;
    m_system.dfsInstalled = row.dfs;
    m_system.files.insert(row.file, row.appearsAfter);
    m_system.confirmProgramTarget = [](const QString&, const ProgramTargetVerdict&) {
        return false;
    };

    const QString error = QString::fromUtf8(row.error);
    EXPECT_EQ(open(row.target), error.isEmpty());
    EXPECT_EQ(errorMessage(), error);
    EXPECT_EQ(m_system.opened, error.isEmpty() ? QStringList {row.file} : QStringList());
    EXPECT_EQ(m_system.sleeps, row.sleeps);
    EXPECT_EQ(eventsLike(QStringLiteral("mount")).size(), row.mounts);
    EXPECT_EQ(eventsLike(QStringLiteral("exists")).size(), row.existsTests);
    EXPECT_EQ(!eventsLike(QStringLiteral("list")).isEmpty(), row.listed);
    EXPECT_TRUE(eventsLike(QStringLiteral("confirm")).isEmpty());
    if (row.firstLog)
        EXPECT_EQ(m_log.lines().value(0), QString::fromUtf8(row.firstLog));
    if (row.lastLog)
        EXPECT_EQ(m_log.lines().value(m_log.lines().size() - 1), QString::fromUtf8(row.lastLog));
}

const char* const kComposed = "Composed link is: /mnt/srv data/plans/a.doc";
const char* const kDfsCheck = "I have DFS Installed - do the additional check";
const char* const kMissing = "Target file does not exist";

// Parent references stay within the share.
INSTANTIATE_TEST_SUITE_P(ShortcutOpening, Opening,
    testing::Values(
        OpeningCase {"onMountedShare", kTarget, Mounted, false, kLocalPath, 0, "", 0, 0, 1, false,
            kComposed, "Opening /mnt/srv data/plans/a.doc with Viewer (viewer.desktop)"},
        OpeningCase {"missingOnMountedShareEvenWithDfs", kTarget, Mounted, true, QString(), 0,
            kMissing, 0, 0, 1, false, kComposed, kDfsCheck},
        OpeningCase {"neverAppearsAfterMount", kTarget, Mountable, true, QString(), 0, kMissing, 15,
            1, 16, true, kComposed, "Giving up after 15 retries. Still no success with mounting"},
        OpeningCase {"missingAfterMountWithoutDfs", kTarget, Mountable, false, kLocalPath, 3,
            kMissing, 0, 1, 1, false, kComposed, "No DFS installed. No file found"},
        OpeningCase {"mountPointUnknownAfterMount", kTarget, LostAfterMount, true, QString(), 0,
            kMissing, 0, 1, 0, false, "Composed link is: (none)", nullptr},
        OpeningCase {"localBelowRoot", QStringLiteral("X:\\dir\\file.doc"), Unmountable, true,
            QStringLiteral("/X:/dir/file.doc"), 0, "", 0, 0, 1, false, nullptr, nullptr},
        OpeningCase {"localMissing", QStringLiteral("X:\\dir\\missing.doc"), Unmountable, true,
            QStringLiteral("/X:/dir/file.doc"), 0, kMissing, 0, 0, 1, false, nullptr, nullptr},
        OpeningCase {"parentsStopAtTheShare",
            QStringLiteral("\\\\srv\\data\\..\\..\\..\\etc\\passwd"), Mounted, false,
            kMountPoint + QStringLiteral("/etc/passwd"), 0, "", 0, 0, 1, false, nullptr, nullptr},
        OpeningCase {"parentInsideTheShare", QStringLiteral("\\\\srv\\data\\plans\\..\\b.doc"),
            Mounted, false, kMountPoint + QStringLiteral("/b.doc"), 0, "", 0, 0, 1, false, nullptr,
            nullptr}),
    [](const testing::TestParamInfo<OpeningCase>& param) { return param.param.name; });

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

// A failure sets the message, a later success leaves it.
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
    m_system.mountable.insert(kShare, kMountPoint);
    m_system.files.insert(kLocalPath, 0);
    EXPECT_TRUE(openAgain());
    EXPECT_EQ(errorMessage(), kMountFailed);
}

TEST_F(ShortcutOpening, NoApplicationOrARefusedLaunchFailsWithItsReason)
{
    m_system.mounted.insert(kShare, kMountPoint);
    m_system.files.insert(kLocalPath, 0);
    m_system.application.reset();
    EXPECT_FALSE(open(kTarget));
    EXPECT_EQ(errorMessage(),
        QStringLiteral(
            "No application is set to open \u201ca.doc\u201d (type application/msword)."));
    EXPECT_TRUE(eventsLike(QStringLiteral("open")).isEmpty());
    m_system.application = {QStringLiteral("viewer.desktop"), QStringLiteral("Viewer")};
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

struct AliasCase {
    const char* what;
    const char* target; // a Windows path; "LOCAL" stands for the test's folder
    ShareState share;
    const char* aliasName;
    const char* error; // empty: the alias is written
};

class SaveAsAlias : public testing::TestWithParam<AliasCase> {
protected:
    QTemporaryDir m_temporary;
    QDir m_root {m_temporary.path()};
};

TEST_P(SaveAsAlias, WritesAnAliasOfTheComposedTargetOrSaysWhy)
{
    const AliasCase& row = GetParam();
    ASSERT_TRUE(m_root.mkpath(QStringLiteral("share/plans")));
    QFile target(m_root.filePath(QStringLiteral("share/plans/a.doc")));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.close();
    FakeOpeningSystem system;
    const QString mountPoint = m_root.filePath(QStringLiteral("share"));
    if (row.share == Mounted)
        system.mounted.insert(kShare, mountPoint);
    if (row.share == Mountable)
        system.mountable.insert(kShare, mountPoint);
    QString text = QString::fromUtf8(row.target);
    text.replace(QStringLiteral("LOCAL"), m_root.path());
    const auto shortcut = HVWindowsShortcut::initWithMountString(text);
    shortcut->setOpeningServices(system.services());
    const QString aliasPath = m_root.filePath(QString::fromUtf8(row.aliasName));

    const bool saved = shortcut->saveAsAlias(aliasPath);
    EXPECT_EQ(saved, QByteArray(row.error).isEmpty()) << row.what;
    EXPECT_EQ(shortcut->errorMessage().value_or(QString()), QString::fromUtf8(row.error));
    EXPECT_TRUE(system.events.filter(QStringLiteral("exists")).isEmpty())
        << "no wait for the target";
    if (!saved) {
        EXPECT_FALSE(QFile::exists(aliasPath)
            && JLCarbonUtilities::resolveAliasFile(aliasPath) != aliasPath);
        return;
    }
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(aliasPath), target.fileName());
    EXPECT_TRUE(JLCarbonUtilitiesFinderInfoFlags::isAliasFinderInfoFlag(aliasPath));
}

INSTANTIATE_TEST_SUITE_P(HVWindowsShortcut, SaveAsAlias,
    testing::Values(
        AliasCase {"mounted share", "\\\\srv\\data\\plans\\a.doc", Mounted, "a.doc", ""},
        AliasCase {"share mounted now", "\\\\srv\\data\\plans\\a.doc", Mountable, "a.doc", ""},
        AliasCase {"local target", "LOCAL/share/plans/a.doc", Unmountable, "Report.doc", ""},
        AliasCase {"mount fails", "\\\\srv\\data\\plans\\a.doc", Unmountable, "a.doc",
            "Mount of network drive failed"},
        AliasCase {"target missing", "\\\\srv\\data\\plans\\gone.doc", Mounted, "gone.doc",
            "Failed to create alias"},
        AliasCase {"no folder for the alias", "\\\\srv\\data\\plans\\a.doc", Mounted,
            "missing/a.doc", "Failed to create alias"}));

}
