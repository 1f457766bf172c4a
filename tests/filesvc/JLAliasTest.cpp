#include "filesvc/JLAlias.h"

#include "TestFolder.h"
#include "filesvc/AliasFile.h"
#include "filesvc/AliasMounting.h"
#include "filesvc/AliasRecordFormat.h"
#include "filesvc/JLCarbonUtilities.h"
#include "filesvc/JLResourceFork.h"
#include "platform/FileNames.h"
#include "support/QtPrinters.h"

#include <unistd.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

using namespace AliasFileCodes;

class AliasFiles : public TestFolder {
protected:
    QString make(QAnyStringView name, bool folder = false) const
    {
        EXPECT_TRUE(!folder || m_root.mkpath(name.toString()));
        return folder ? path(name) : write(name, "text\n");
    }
};

TEST_F(AliasFiles, RecordsHoldTheLinuxFactsOfTheTarget)
{
    const QString target = make(u"Report:2024.doc"_s);
    ASSERT_TRUE(JLCarbonUtilities::setFinderInfoFlags(target, 0, 0, 0x57384244, 0x4D535744));
    EXPECT_FALSE(JLAlias::aliasWithPath(path("missing")));
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
    EXPECT_EQ(alias->displayName(), u"Report:2024.doc"_s);
    EXPECT_FALSE(alias->changed());
    EXPECT_FALSE(JLAlias::initWithData(QByteArray()));
    const std::unique_ptr<JLAlias> garbage = JLAlias::initWithData("not a record");
    EXPECT_FALSE(garbage->path() || garbage->lastKnownName());
}

TEST_F(AliasFiles, MountFlagsChooseWhetherThePathOrTheFileNumberWins)
{
    const QString target = make(u"before.txt"_s);
    const QByteArray record = JLAlias::aliasWithPath(target)->data();
    const auto byPath = JLAlias::initWithData(record);
    const auto byNumber = JLAlias::initWithData(record);
    const auto renamed = JLAlias::initWithData(record);
    EXPECT_EQ(byPath->mountFlags(), JLAlias::kMountFlagNoUserInteraction);
    byNumber->setTryFileIDFirst(true);
    // Moved to a Latin-1 name, which only a byte-exact listing of the folder finds.
    const QString moved = FileNames::decode(FileNames::encode(path("moved")) + "\xe9.txt");
    ASSERT_EQ(::rename(FileNames::encode(target), FileNames::encode(moved)), 0);
    EXPECT_EQ(renamed->path(), moved) << "found in its folder by its file number";
    EXPECT_TRUE(renamed->changed());
    EXPECT_EQ(renamed->lastKnownName(), QFileInfo(moved).fileName());
    // A new file under the old name: the path wins unless file numbers come first.
    make(u"before.txt"_s);
    EXPECT_EQ(byPath->path(), target);
    EXPECT_EQ(byNumber->path(), moved);
    ASSERT_TRUE(QFile::remove(target) && ::unlink(FileNames::encode(moved)) == 0);
    EXPECT_FALSE(JLAlias::initWithData(record)->path()) << "neither path nor file number is there";
}

TEST_F(AliasFiles, ARecordOfAnUnmountedShareMountsItAgain)
{
    const QString share = make("share/plans", true).chopped(6);
    const QString target = make(u"share/plans/a.doc"_s);
    Result<AliasRecord> record = AliasRecordFormat::parse(JLAlias::aliasWithPath(target)->data());
    ASSERT_TRUE(record);
    record->setTag(AliasRecord::PosixPath, "/plans/a.doc");
    record->setTag(AliasRecord::PosixMountPoint, "/nonexistent/old-mount");
    record->setTag(AliasRecord::MountURL, "smb://fs1/Projects");
    const std::unique_ptr<JLAlias> alias =
        JLAlias::initWithData(*AliasRecordFormat::serialize(*record));
    EXPECT_EQ(alias->lastKnownShareURL(), u"smb://fs1/Projects"_s);
    QStringList calls;
    AliasMounting::shared().mountShare = [&](const QString& what, const QString& method,
                                             bool interactive) {
        calls.append(u"%1 %2 %3"_s.arg(what, method).arg(interactive));
        return std::optional<QString>(share);
    };
    EXPECT_EQ(alias->path(), target);
    alias->setAllowUserInteraction(true);
    (void)alias->path();
    AliasMounting::shared().mountShare = {};
    EXPECT_EQ(calls, (QStringList {u"//fs1/Projects smb 0"_s, u"//fs1/Projects smb 1"_s}));
    EXPECT_FALSE(alias->path()) << "without a way to mount, the share stays away";
}

// Plain files, folders and missing targets are among the alias files written below.
TEST_F(AliasFiles, TargetKindsGiveTheAliasItsTypeCode)
{
    EXPECT_EQ(aliasOSTypeFor(std::nullopt), kFolderAlias);
    EXPECT_EQ(aliasOSTypeFor(QUrl::fromLocalFile(u"/"_s)), kDiskAlias);
    EXPECT_EQ(aliasOSTypeFor(QUrl::fromLocalFile(make("Thing.bundle", true))), kPackageAlias);
    const QString tool = make("tool");
    ASSERT_TRUE(QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner));
    EXPECT_EQ(aliasOSTypeFor(QUrl::fromLocalFile(tool)), kApplicationAlias);
}

constexpr quint32 kText = 0x54455854; // 'TEXT'

struct AliasFileCase {
    const char* name;
    const char* target; // a plain text file in the test's folder, or a folder ending in '/'
    enum { AsItIs, Typed, AliasHasAFork } before;
    bool gone; // the target is removed before the alias file is written
    bool icon; // includeCustomIcon of the second write (the first includes it)
    quint16 flags;
    quint32 type;
    quint32 creator;
    QList<quint32> resources;
};

class AliasFileWrites : public AliasFiles, public testing::WithParamInterface<AliasFileCase> { };

// Written twice over, then read back; a target still there has its facts taken in advance.
TEST_P(AliasFileWrites, HoldTheRecordTheFinderInformationAndWhatTheForkHeld)
{
    const AliasFileCase& row = GetParam();
    const QString aliasPath = path("the alias");
    const QString name = QString::fromUtf8(row.target);
    const QString target = make(QString(name).remove(u'/'), name.endsWith(u'/'));
    if (row.before == AliasFileCase::Typed) {
        EXPECT_TRUE(
            JLCarbonUtilities::setFinderInfoFlags(target, 0x0800, 0xFFFF, 0x57384244, 0x4D535744));
    }
    if (row.before == AliasFileCase::AliasHasAFork) {
        EXPECT_TRUE(
            ResourceForkData::writeToResourceForkFile("keep", aliasPath, kText, 1, std::nullopt));
    }
    const std::unique_ptr<JLAlias> alias =
        row.gone ? JLAlias::aliasWithPath(target) : JLAlias::aliasReadyToWrite(target);
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
    EXPECT_EQ(fork->nameOfResourceType(kAliasResourceType, 0), u"created by JLAlias"_s);
    EXPECT_EQ(fork->nameOfResourceType(kIconFamilyResourceType, kCustomIconId).value_or(QString()),
        QString());
    (void)fork->closeFile();
    EXPECT_EQ(JLAlias::initWithContentsOfFile(aliasPath)->data(), alias->data());
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(aliasPath), row.gone ? aliasPath : target);
}

INSTANTIATE_TEST_SUITE_P(JLAlias, AliasFileWrites,
    testing::Values(AliasFileCase {"TypedDocument", "typed.doc", AliasFileCase::Typed, false, true,
                        0x8000, 0x57384244, 0x4D535744, {kAliasResourceType}},
        AliasFileCase {"FolderOverAForkOfItsOwn", "Folder/", AliasFileCase::AliasHasAFork, false,
            true, 0x8000, kFolderAlias, finderCreatorCode, {kText, kAliasResourceType}},
        AliasFileCase {"GoneTarget", "gone.txt", AliasFileCase::AsItIs, true, true, 0x8000,
            kFolderAlias, finderCreatorCode, {kAliasResourceType}},
        AliasFileCase {"UntypedFileGetsTheThemeIcon", "plain.txt", AliasFileCase::AsItIs, false,
            true, 0x8400, 0, 0, {kAliasResourceType, kIconFamilyResourceType}},
        AliasFileCase {"IconLeftOut", "plain.txt", AliasFileCase::AsItIs, false, false, 0x8000, 0,
            0, {kAliasResourceType}}),
    [](const testing::TestParamInfo<AliasFileCase>& row) { return std::string(row.param.name); });

TEST_F(AliasFiles, ChainsOfAliasFilesAreFollowedToTheEnd)
{
    const QString folder = make(u"Folder"_s, true);
    // A name from an old share, in Latin-1: the alias and its sidecar keep its exact bytes.
    const QString first = path(FileNames::decode("first \xe9t\xe9 alias"));
    const QString second = path("second alias");
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(folder);
    ASSERT_TRUE(alias && alias->writeToFile(first));
    const std::unique_ptr<JLAlias> ofAlias = JLAlias::aliasWithPath(first);
    ASSERT_TRUE(ofAlias && ofAlias->writeToFile(second));
    for (const char* name : {"/first \xe9t\xe9 alias", "/._first \xe9t\xe9 alias"})
        EXPECT_EQ(::access((FileNames::encode(m_root.path()) + name).constData(), F_OK), 0) << name;
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(second), folder);
    bool resolved = false;
    EXPECT_EQ(ofAlias->resolveIfIsAliasFile(&resolved).path(), folder);
    EXPECT_TRUE(resolved);
    EXPECT_FALSE(JLAlias::initWithContentsOfFile(folder)) << "no fork";
    EXPECT_FALSE(alias->writeToFile(path("missing/alias")));
}

}
