#include "filesvc/JLAlias.h"

#include "filesvc/AliasFile.h"
#include "filesvc/AliasRecordFormat.h"
#include "filesvc/JLAliasMounting.h"
#include "filesvc/JLCarbonUtilities.h"
#include "filesvc/JLResourceFork.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

namespace {

using namespace AliasFileCodes;

quint32 inodeOf(const QString& path)
{
    struct stat status { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? quint32(status.st_ino) : 0;
}

class AliasFiles : public testing::Test {
protected:
    QString make(const QString& name, bool folder = false) const
    {
        const QString path = m_root.filePath(name);
        QFile file(path);
        EXPECT_TRUE(folder ? QDir().mkpath(path) : file.open(QIODevice::WriteOnly));
        return path;
    }
    QTemporaryDir m_temporary;
    QDir m_root {m_temporary.path()};
};

TEST_F(AliasFiles, RecordsHoldTheLinuxFactsOfTheTarget)
{
    const QString target = make(QStringLiteral("Report:2024.doc"));
    ASSERT_TRUE(JLCarbonUtilities::setFinderInfoFlags(target, 0, 0, 0x57384244, 0x4D535744));
    EXPECT_FALSE(JLAlias::aliasWithPath(m_root.filePath(QStringLiteral("missing"))));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(target);
    ASSERT_TRUE(alias);
    const Result<AliasRecord> record = AliasRecordFormat::parse(alias->data());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->version, 2);
    EXPECT_EQ(record->fileName, QByteArray("Report:2024.doc"));
    EXPECT_EQ(record->fileId, inodeOf(target));
    EXPECT_EQ(record->parentId, inodeOf(m_root.path()));
    EXPECT_EQ(record->fileType, 0x57384244u);
    EXPECT_EQ(record->fileCreator, 0x4D535744u);
    EXPECT_TRUE(
        record->tagData(AliasRecord::AbsolutePath)->endsWith(QByteArray(":\0Report/2024.doc", 17)));
    EXPECT_EQ(alias->lastKnownPath(), target);
    EXPECT_EQ(alias->path(), target);
    EXPECT_EQ(alias->displayName(), QStringLiteral("Report:2024.doc"));
    EXPECT_FALSE(alias->changed());

    EXPECT_FALSE(JLAlias::initWithData(QByteArray()));
    const std::unique_ptr<JLAlias> garbage = JLAlias::initWithData("not a record");
    EXPECT_FALSE(garbage->path() || garbage->lastKnownName());
}

TEST_F(AliasFiles, MountFlagsChooseWhetherThePathOrTheFileNumberWins)
{
    const QString target = make(QStringLiteral("before.txt"));
    const QByteArray record = JLAlias::aliasWithPath(target)->data();
    const auto byPath = JLAlias::initWithData(record);
    const auto byNumber = JLAlias::initWithData(record);
    const auto renamed = JLAlias::initWithData(record);
    EXPECT_EQ(byPath->mountFlags(), JLAlias::kMountFlagNoUserInteraction);
    byNumber->setTryFileIDFirst(true);
    const QString moved = m_root.filePath(QStringLiteral("moved.txt"));
    ASSERT_TRUE(QFile::rename(target, moved));
    EXPECT_EQ(renamed->path(), moved) << "found in its folder by its file number";
    EXPECT_TRUE(renamed->changed());
    EXPECT_EQ(renamed->lastKnownName(), QStringLiteral("moved.txt"));

    // A new file under the old name: the path wins unless file numbers come first.
    make(QStringLiteral("before.txt"));
    EXPECT_EQ(byPath->path(), target);
    EXPECT_EQ(byNumber->path(), moved);
    ASSERT_TRUE(QFile::remove(target) && QFile::remove(moved));
    EXPECT_FALSE(JLAlias::initWithData(record)->path()) << "neither path nor file number is there";
}

TEST_F(AliasFiles, ARecordOfAnUnmountedShareMountsItAgain)
{
    const QString share = make(QStringLiteral("share"), true);
    ASSERT_TRUE(QDir().mkpath(share + QStringLiteral("/plans")));
    const QString target = make(QStringLiteral("share/plans/a.doc"));
    Result<AliasRecord> record = AliasRecordFormat::parse(JLAlias::aliasWithPath(target)->data());
    ASSERT_TRUE(record);
    record->setTag(AliasRecord::PosixPath, "/plans/a.doc");
    record->setTag(AliasRecord::PosixMountPoint, "/nonexistent/old-mount");
    record->setTag(AliasRecord::MountURL, "smb://fs1/Projects");
    const std::unique_ptr<JLAlias> alias =
        JLAlias::initWithData(*AliasRecordFormat::serialize(*record));
    EXPECT_EQ(alias->lastKnownShareURL(), QStringLiteral("smb://fs1/Projects"));

    QStringList calls;
    JLAliasMounting::shared().mountShare = [&](const QString& what, const QString& method,
                                               bool interactive) {
        calls.append(QStringLiteral("%1 %2 %3").arg(what, method).arg(interactive));
        return std::optional<QString>(share);
    };
    EXPECT_EQ(alias->path(), target);
    alias->setAllowUserInteraction(true);
    (void)alias->path();
    JLAliasMounting::shared().mountShare = {};
    EXPECT_EQ(calls,
        (QStringList {
            QStringLiteral("//fs1/Projects smb 0"), QStringLiteral("//fs1/Projects smb 1")}));
    EXPECT_FALSE(alias->path()) << "without a way to mount, the share stays away";
}

struct KindCase {
    const char* name; // in the test's folder; none: no target
    bool folder;
    bool executable;
    quint32 type;
};

class TargetKinds : public AliasFiles, public testing::WithParamInterface<KindCase> { };

TEST_P(TargetKinds, GiveTheAliasItsTypeCode)
{
    std::optional<QUrl> target;
    if (const char* name = GetParam().name; name && name[0] == '/') {
        target = QUrl::fromLocalFile(QString::fromUtf8(name));
    } else if (name) {
        target = QUrl::fromLocalFile(make(QString::fromUtf8(name), GetParam().folder));
        if (GetParam().executable)
            QFile::setPermissions(
                target->toLocalFile(), QFile::permissions(target->toLocalFile()) | QFile::ExeOwner);
    }
    EXPECT_EQ(aliasOSTypeFor(target), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(AliasFile, TargetKinds,
    testing::Values(KindCase {"plain.txt", false, false, 0},
        KindCase {"tool", false, true, kApplicationAlias},
        KindCase {"Folder", true, false, kFolderAlias},
        KindCase {"Thing.bundle", true, false, kPackageAlias},
        KindCase {nullptr, false, false, kFolderAlias},
        KindCase {"/nonexistent/x", false, false, kFolderAlias},
        KindCase {"/", true, false, kDiskAlias}));

// A file of the test's own with a line of text, so that it is a plain text file.
QString touch(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write("text\n") == 5);
    return path;
}

struct AliasFileCase {
    const char* name;
    // Makes the target (and what else the case needs) in the folder; returns its path.
    std::function<QString(const QDir& folder, const QString& aliasPath)> make;
    bool gone; // the target is removed before the alias file is written
    bool icon; // includeCustomIcon of the second write (the first includes it)
    quint16 flags;
    quint32 type;
    quint32 creator;
    QList<quint32> resources;
};

// Names the case in failure messages.
void PrintTo(const AliasFileCase& row, std::ostream* out)
{
    *out << row.name;
}

class AliasFileWrites : public AliasFiles, public testing::WithParamInterface<AliasFileCase> { };

// Written twice over (a second write replaces the first), then read back.
TEST_P(AliasFileWrites, HoldTheRecordTheFinderInformationAndWhatTheForkHeld)
{
    const AliasFileCase& row = GetParam();
    const QString aliasPath = m_root.filePath(QStringLiteral("the alias"));
    const QString target = row.make(m_root, aliasPath);
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(target);
    ASSERT_TRUE(alias);
    ASSERT_TRUE(!row.gone || QFile::remove(target));
    ASSERT_TRUE(alias->writeToFile(aliasPath));
    ASSERT_TRUE(alias->writeToURL(QUrl::fromLocalFile(aliasPath), row.icon));
    quint16 flags = 0;
    quint32 type = 0, creator = 0;
    ASSERT_TRUE(JLCarbonUtilities::finderInfoFlags(aliasPath, &flags, &type, &creator));
    EXPECT_EQ(flags, row.flags);
    EXPECT_EQ(type, row.type);
    EXPECT_EQ(creator, row.creator);
    const auto fork = JLResourceFork::initForReadingAtPath(aliasPath);
    ASSERT_TRUE(fork);
    EXPECT_EQ(fork->everyResourceType(), row.resources);
    EXPECT_EQ(
        fork->nameOfResourceType(kAliasResourceType, 0), QStringLiteral("created by JLAlias"));
    EXPECT_EQ(fork->nameOfResourceType(kIconFamilyResourceType, kCustomIconId).value_or(QString()),
        QString());
    (void)fork->closeFile();
    EXPECT_EQ(JLAlias::initWithContentsOfFile(aliasPath)->data(), alias->data());
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(aliasPath), row.gone ? aliasPath : target);
}

constexpr quint32 kText = 0x54455854; // 'TEXT'
INSTANTIATE_TEST_SUITE_P(JLAlias, AliasFileWrites,
    testing::Values(AliasFileCase {"TypedDocument",
                        [](const QDir& folder, const QString&) {
                            const QString typed =
                                touch(folder.filePath(QStringLiteral("typed.doc")));
                            EXPECT_TRUE(JLCarbonUtilities::setFinderInfoFlags(
                                typed, 0x0800, 0xFFFF, 0x57384244, 0x4D535744));
                            return typed;
                        },
                        false, true, 0x8000, 0x57384244, 0x4D535744, {kAliasResourceType}},
        AliasFileCase {"FolderOverAForkOfItsOwn",
            [](const QDir& folder, const QString& aliasPath) {
                EXPECT_TRUE(JLResourceForkData::writeToResourceForkFile(
                    "keep", aliasPath, kText, 1, std::nullopt));
                EXPECT_TRUE(folder.mkdir(QStringLiteral("Folder")));
                return folder.filePath(QStringLiteral("Folder"));
            },
            false, true, 0x8000, kFolderAlias, finderCreatorCode, {kText, kAliasResourceType}},
        AliasFileCase {"GoneTarget",
            [](const QDir& folder, const QString&) {
                return touch(folder.filePath(QStringLiteral("gone.txt")));
            },
            true, true, 0x8000, kFolderAlias, finderCreatorCode, {kAliasResourceType}},
        AliasFileCase {"UntypedFileGetsTheThemeIcon",
            [](const QDir& folder, const QString&) {
                return touch(folder.filePath(QStringLiteral("plain.txt")));
            },
            false, true, 0x8400, 0, 0, {kAliasResourceType, kIconFamilyResourceType}},
        AliasFileCase {"IconLeftOut",
            [](const QDir& folder, const QString&) {
                return touch(folder.filePath(QStringLiteral("plain.txt")));
            },
            false, false, 0x8000, 0, 0, {kAliasResourceType}}),
    [](const testing::TestParamInfo<AliasFileCase>& row) { return std::string(row.param.name); });

TEST_F(AliasFiles, ChainsOfAliasFilesAreFollowedToTheEnd)
{
    const QString folder = make(QStringLiteral("Folder"), true);
    const QString first = m_root.filePath(QStringLiteral("first alias"));
    const QString second = m_root.filePath(QStringLiteral("second alias"));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(folder);
    ASSERT_TRUE(alias && alias->writeToFile(first));
    const std::unique_ptr<JLAlias> ofAlias = JLAlias::aliasWithPath(first);
    ASSERT_TRUE(ofAlias && ofAlias->writeToFile(second));
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(second), folder);
    bool resolved = false;
    EXPECT_EQ(ofAlias->resolveIfIsAliasFile(&resolved).path(), folder);
    EXPECT_TRUE(resolved);
    EXPECT_FALSE(JLAlias::initWithContentsOfFile(folder)) << "no fork";
    EXPECT_FALSE(alias->writeToFile(m_root.filePath(QStringLiteral("missing/alias"))));
}

}
