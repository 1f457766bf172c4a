#include "filesvc/JLCarbonUtilities.h"
#include "shortcut/HVWindowsShortcut.h"
#include "shortcut/OpeningServices.h"
#include "support/Files.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A system for opening shortcuts: shares that are mounted or can be, files that exist at
// once or after some seconds, an application and its running instances. Seconds pass only
// when opening sleeps, and cost no time. Everything the opening does is noted in events.
class FakeOpeningSystem {
public:
    // Mount points of shares mounted already, and of shares a mount succeeds for.
    QHash<QString, QString> mounted;
    QHash<QString, QString> mountable;
    // A successful mount leaves the share's mount point unknown to later lookups.
    bool mountPointLostAfterMount = false;
    bool dfsInstalled = false;
    // Files that exist, with the number of seconds after which each appears.
    QHash<QString, int> files;
    LaunchResult launch {true, 4242, {}};
    // What each lookup of running instances finds; the last answer repeats.
    QList<std::optional<RunningInstance>> instances;
    // The user's answer to the question before a program is opened; unset, nobody asks.
    std::function<bool(const QString&, const ProgramTargetVerdict&)> confirmProgramTarget;
    QStringList events;
    int sleeps = 0, activations = 0;
    qsizetype lookups = 0;
    QStringList opened;

    std::shared_ptr<OpeningServices> services()
    {
        auto services = std::make_shared<OpeningServices>();
        services->networkVolumeForShare = [this](const QString& share) {
            events << u"lookup "_s + share;
            return mounted.contains(share) ? std::optional(mounted.value(share)) : std::nullopt;
        };
        services->mountNetworkVolume = [this](const QString& share, const QString& method) {
            events << u"mount %1 %2"_s.arg(share, method);
            if (mountable.contains(share) && !mountPointLostAfterMount)
                mounted.insert(share, mountable.value(share));
            return mountable.contains(share);
        };
        services->dfsInstalled = [this] { return dfsInstalled; };
        services->examineTarget = [this](const QString& path) {
            events << u"exists "_s + path;
            const bool exists = files.contains(path) && files.value(path) <= sleeps;
            return exists ? std::optional(ProgramTarget::examine(path)) : std::nullopt;
        };
        services->listDirectory = [this](const QString& path) { events << u"list "_s + path; };
        services->sleepOneSecond = [this] {
            events << u"sleep"_s;
            ++sleeps;
        };
        services->applicationForContentType = [](const QString&) {
            return std::optional(TargetApplication {u"viewer.desktop"_s, u"Viewer"_s});
        };
        services->openFileWithApplication = [this](const QString& path,
                                                const TargetApplication& with) {
            events << u"open %1 with %2"_s.arg(path, with.id);
            if (launch)
                opened << path;
            return launch;
        };
        services->firstRunningApplication = [this](const QString&) {
            auto found =
                instances.isEmpty() ? std::nullopt : instances.value(lookups++, instances.last());
            if (found)
                found->activate = [this] { ++activations; };
            return found;
        };
        if (confirmProgramTarget) {
            services->confirmProgramTarget = [this](const QString& path,
                                                 const ProgramTargetVerdict& verdict) {
                events << u"confirm "_s + path;
                return confirmProgramTarget(path, verdict);
            };
        }
        return services;
    }
};

const QString kShare = u"//srv/data"_s;
const QString kMountPoint = u"/mnt/srv data"_s;
const QString kTarget = u"\\\\srv\\data\\plans\\a.doc"_s;
const QString kLocalPath = u"/mnt/srv data/plans/a.doc"_s;
const QString kMountFailed = u"Mount of network drive failed"_s;

class ShortcutOpening : public testing::Test {
protected:
    bool open(const QString& target)
    {
        m_shortcut = HVWindowsShortcut::initWithMountString(target);
        return openAgain();
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
};

const char* const kMissing = "Target file does not exist";

// Parent references stay within the share.
const OpeningCase openingCases[] = {
    {"onMountedShare", kTarget, Mounted, false, kLocalPath, 0, "", 0, 0, 1, false},
    {"missingOnMountedShareEvenWithDfs", kTarget, Mounted, true, QString(), 0, kMissing, 0, 0, 1,
        false},
    {"appearsDuringTheWalkAfterMount", kTarget, Mountable, true, kLocalPath, 3, "", 3, 1, 4, true},
    {"neverAppearsAfterMount", kTarget, Mountable, true, QString(), 0, kMissing, 15, 1, 16, true},
    {"missingAfterMountWithoutDfs", kTarget, Mountable, false, kLocalPath, 3, kMissing, 0, 1, 1,
        false},
    {"mountPointUnknownAfterMount", kTarget, LostAfterMount, true, QString(), 0, kMissing, 0, 1, 0,
        false},
    {"localBelowRoot", u"X:\\dir\\file.doc"_s, Unmountable, true, u"/X:/dir/file.doc"_s, 0, "", 0,
        0, 1, false},
    {"localMissing", u"X:\\dir\\missing.doc"_s, Unmountable, true, u"/X:/dir/file.doc"_s, 0,
        kMissing, 0, 0, 1, false},
    {"parentsStopAtTheShare", u"\\\\srv\\data\\..\\..\\..\\etc\\passwd"_s, Mounted, false,
        kMountPoint + u"/etc/passwd"_s, 0, "", 0, 0, 1, false},
    {"parentInsideTheShare", u"\\\\srv\\data\\plans\\..\\b.doc"_s, Mounted, false,
        kMountPoint + u"/b.doc"_s, 0, "", 0, 0, 1, false}};

// A document is opened without asking, whatever the user would answer.
TEST_F(ShortcutOpening, MountsWaitsAndOpensAsTheShareAndTheFileAllow)
{
    for (const OpeningCase& row : openingCases) {
        SCOPED_TRACE(row.name);
        m_system = FakeOpeningSystem();
        if (row.share == Mounted)
            m_system.mounted.insert(kShare, kMountPoint);
        if (row.share >= Mountable)
            m_system.mountable.insert(kShare, kMountPoint);
        m_system.mountPointLostAfterMount = row.share == LostAfterMount;
        m_system.dfsInstalled = row.dfs;
        m_system.files.insert(row.file, row.appearsAfter);
        m_system.confirmProgramTarget = [](auto&&...) { return false; };
        const QString error = QString::fromUtf8(row.error);
        EXPECT_EQ(open(row.target), error.isEmpty());
        EXPECT_EQ(errorMessage(), error);
        EXPECT_EQ(m_system.opened, error.isEmpty() ? QStringList {row.file} : QStringList());
        EXPECT_EQ(m_system.sleeps, row.sleeps);
        EXPECT_EQ(eventsLike(u"mount"_s).size(), row.mounts);
        EXPECT_EQ(eventsLike(u"exists"_s).size(), row.existsTests);
        EXPECT_EQ(!eventsLike(u"list"_s).isEmpty(), row.listed);
        EXPECT_TRUE(eventsLike(u"confirm"_s).isEmpty());
    }
}

// A failure sets the message, a later success leaves it; a refused launch fails with its reason.
TEST_F(ShortcutOpening, FailedMountOrLaunchSetsItsMessageAndALaterSuccessLeavesIt)
{
    m_system.dfsInstalled = true;
    m_shortcut = HVWindowsShortcut::initWithMountString(kTarget);
    ASSERT_TRUE(m_shortcut->setMountMethod(u"AFP"_s));

    EXPECT_FALSE(openAgain());
    EXPECT_EQ(errorMessage(), kMountFailed);
    EXPECT_EQ(m_system.events, QStringList({u"lookup //srv/data"_s, u"mount //srv/data AFP"_s}));
    EXPECT_TRUE(m_log.lines().isEmpty());
    m_system.mountable.insert(kShare, kMountPoint);
    m_system.files.insert(kLocalPath, 0);
    EXPECT_TRUE(openAgain());
    EXPECT_EQ(errorMessage(), kMountFailed);
    m_system.launch = {false, std::nullopt, u"Failed to execute child process"_s};
    EXPECT_FALSE(openAgain());
    EXPECT_EQ(errorMessage(),
        u"\u201ca.doc\u201d could not be opened with Viewer: Failed to execute child process"_s);
}

// Each row: what the lookups of running instances find in turn, then how often the
// application is activated and how many seconds that waits.
TEST_F(ShortcutOpening, BringsTheApplicationToTheFront)
{
    const RunningInstance launching {false, false, {}}, finished {false, true, {}},
        activeLaunching {true, false, {}};
    const std::tuple<QList<std::optional<RunningInstance>>, int, int> rows[] = {{{}, 0, 0},
        {{finished}, 1, 0}, {{activeLaunching}, 1, 0}, {{launching}, 6, 5},
        {{launching, launching, finished}, 3, 2}, {{launching, std::nullopt}, 1, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        const auto& [instances, activations, sleeps] = row;
        m_system = FakeOpeningSystem();
        m_system.mounted.insert(kShare, kMountPoint);
        m_system.files.insert(kLocalPath, 0);
        m_system.instances = instances;
        EXPECT_TRUE(open(kTarget));
        EXPECT_EQ(m_system.activations, activations);
        EXPECT_EQ(m_system.sleeps, sleeps);
    }
}

// A program opens only when the user allows it; with nobody to ask, it does not. Whether an
// execute bit counts is a matter of the file system that holds the target, not of how the
// shortcut names it: a text marked executable on a local disk is a script also when a
// share is "mounted" there.
TEST_F(ShortcutOpening, OpensAProgramOnlyWhenAllowedWhateverTheShortcutNames)
{
    const QString program = kMountPoint + u"/setup.exe"_s;
    m_system.mounted.insert(kShare, kMountPoint);
    m_system.files.insert(program, 0);
    EXPECT_FALSE(open(u"\\\\srv\\data\\setup.exe"_s));
    EXPECT_EQ(errorMessage(),
        u"\u201csetup.exe\u201d was not opened because it is a program: its name ends in .exe "
        "(a Windows program); its type is application/x-ms-dos-executable (a Windows program). "
        "Kestrova opens documents from shortcuts, not programs."_s);
    for (const bool allowed : {false, true}) {
        QList<ProgramTargetVerdict> asked;
        m_system.confirmProgramTarget = [&](const QString&, const ProgramTargetVerdict& verdict) {
            asked << verdict;
            return allowed;
        };
        EXPECT_EQ(open(u"\\\\srv\\data\\setup.exe"_s), allowed);
        EXPECT_EQ(errorMessage().isEmpty(), allowed);
        ASSERT_EQ(asked.size(), 1);
        EXPECT_TRUE(asked.first().isProgram());
    }
    EXPECT_EQ(m_system.opened, QStringList {program});
    m_system = FakeOpeningSystem();
    QTemporaryDir folder;
    const QString path = writeFile(folder.filePath(u"notes.txt"_s), "words\n");
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_system.mounted.insert(kShare, folder.path());
    m_system.files.insert(path, 0);
    m_system.files.insert(QLatin1Char('/') + path, 0);

    for (const QString& target : {u"\\\\srv\\data\\notes.txt"_s, path}) {
        EXPECT_FALSE(open(target)) << target.toStdString();
        EXPECT_TRUE(errorMessage().contains(u"it is marked executable"_s))
            << errorMessage().toStdString();
    }
    EXPECT_TRUE(m_system.opened.isEmpty());
}

// Each row: the target (LOCAL stands for the test's folder), the share, the alias's name and
// the error (none: the alias is written). There is no wait for the target.
TEST(HVWindowsShortcut, SaveAsAliasWritesAnAliasOfTheComposedTargetOrSaysWhy)
{
    const char* const failed = "Failed to create alias";
    const std::tuple<const char*, ShareState, const char*, const char*> rows[] = {
        {"\\\\srv\\data\\plans\\a.doc", Mounted, "a.doc", ""},
        {"\\\\srv\\data\\plans\\a.doc", Mountable, "a.doc", ""},
        {"LOCAL/share/plans/a.doc", Unmountable, "Report.doc", ""},
        {"\\\\srv\\data\\plans\\a.doc", Unmountable, "a.doc", "Mount of network drive failed"},
        {"\\\\srv\\data\\plans\\gone.doc", Mounted, "gone.doc", failed},
        {"\\\\srv\\data\\plans\\a.doc", Mounted, "missing/a.doc", failed}};
    for (const auto& [text, share, aliasName, error] : rows) {
        SCOPED_TRACE(testing::Message() << text << " as " << aliasName);
        QTemporaryDir temporary;
        const QDir root(temporary.path());
        ASSERT_TRUE(root.mkpath(u"share/plans"_s));
        const QString target = writeFile(root.filePath(u"share/plans/a.doc"_s));
        FakeOpeningSystem system;
        if (share != Unmountable)
            (share == Mounted ? system.mounted : system.mountable)
                .insert(kShare, root.filePath(u"share"_s));
        const auto shortcut = HVWindowsShortcut::initWithMountString(
            QString::fromUtf8(text).replace(u"LOCAL"_s, root.path()));
        shortcut->setOpeningServices(system.services());
        const QString aliasPath = root.filePath(QString::fromUtf8(aliasName));

        const bool saved = shortcut->saveAsAlias(aliasPath);
        EXPECT_EQ(saved, !*error);
        EXPECT_EQ(shortcut->errorMessage().value_or(QString()), QString::fromUtf8(error));
        EXPECT_TRUE(system.events.filter(u"exists"_s).isEmpty());
        if (saved) {
            EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(aliasPath), target);
            EXPECT_TRUE(JLCarbonUtilitiesFinderInfoFlags::isAliasFinderInfoFlag(aliasPath));
        } else {
            EXPECT_FALSE(QFile::exists(aliasPath)
                && JLCarbonUtilities::resolveAliasFile(aliasPath) != aliasPath);
        }
    }
}

}
