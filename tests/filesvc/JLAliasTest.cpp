#include "filesvc/JLAlias.h"

#include "filesvc/AliasFile.h"
#include "filesvc/AliasRecordFormat.h"
#include "filesvc/JLAliasMounting.h"
#include "filesvc/JLCarbonUtilities.h"
#include "filesvc/JLResourceFork.h"
#include "support/Corpus.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

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
        QString path = m_root.filePath(name);
        if (folder) {
            EXPECT_TRUE(QDir().mkpath(path));
        } else {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
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
    EXPECT_EQ(alias->mountFlags(), 1u);
    EXPECT_FALSE(alias->changed());
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
    EXPECT_EQ(alias->lastKnownName(), QStringLiteral("Report:2024.doc"));
    EXPECT_EQ(alias->lastKnownPath(), target);
    EXPECT_EQ(alias->path(), target);
    EXPECT_EQ(alias->displayName(), QStringLiteral("Report:2024.doc"));
}

TEST_F(AliasFiles, FindsATargetRenamedInItsFolderByItsFileNumber)
{
    const QString target = make(QStringLiteral("before.txt"));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(target);
    ASSERT_TRUE(alias);
    const QString renamed = m_root.filePath(QStringLiteral("after.txt"));
    ASSERT_TRUE(QFile::rename(target, renamed));
    EXPECT_EQ(alias->path(), renamed);
    EXPECT_TRUE(alias->changed());
    EXPECT_EQ(alias->lastKnownName(), QStringLiteral("after.txt"))
        << "the record follows the target";

    // A new file under the old name wins while the path comes first, not with file ids first.
    make(QStringLiteral("before.txt"));
    const std::unique_ptr<JLAlias> old = JLAlias::initWithData(
        JLAlias::aliasWithPath(m_root.filePath(QStringLiteral("before.txt")))->data());
    ASSERT_TRUE(QFile::remove(m_root.filePath(QStringLiteral("before.txt"))));
    EXPECT_FALSE(alias->isEqualToAlias(old.get()));
    EXPECT_FALSE(old->path()) << "neither the path nor the file number is there";
}

TEST_F(AliasFiles, MountFlagsChooseInteractionAndOrder)
{
    const QString first = make(QStringLiteral("first"));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(first);
    ASSERT_TRUE(alias);
    alias->setAllowUserInteraction(true);
    EXPECT_EQ(alias->mountFlags(), 0u);
    alias->setTryFileIDFirst(true);
    EXPECT_EQ(alias->mountFlags(), 2u);
    alias->setAllowUserInteraction(false);
    EXPECT_EQ(alias->mountFlags(), 3u);
    // With file numbers first, the moved original wins over a new file at the old path.
    ASSERT_TRUE(QFile::rename(first, m_root.filePath(QStringLiteral("moved"))));
    make(QStringLiteral("first"));
    EXPECT_EQ(alias->path(), m_root.filePath(QStringLiteral("moved")));
}

TEST_F(AliasFiles, DataAndCoderKeepTheBytes)
{
    EXPECT_FALSE(JLAlias::initWithData(QByteArray()));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(make(QStringLiteral("coded")));
    QByteArray stream;
    QDataStream out(&stream, QIODevice::WriteOnly);
    alias->encodeWithCoder(out);
    QDataStream in(stream);
    const std::unique_ptr<JLAlias> decoded = JLAlias::initWithCoder(in);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->data(), alias->data());
    EXPECT_TRUE(decoded->isEqualToAlias(alias.get()));
    EXPECT_FALSE(decoded->isEqualToAlias(nullptr));
    const std::unique_ptr<JLAlias> garbage = JLAlias::initWithData("not a record");
    EXPECT_FALSE(garbage->path() || garbage->lastKnownName());
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

struct MacRecord {
    const char* file;
    const char* name;
    const char* volume;
    const char* path;
};

class MacRecords : public testing::TestWithParam<MacRecord> { };

TEST_P(MacRecords, TellWhatTheyKeepWithoutResolving)
{
    KESTROVA_REQUIRE_CORPUS();
    QFile file(Corpus::path(
        QStringLiteral("filesvc/alias_records/") + QString::fromUtf8(GetParam().file)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::unique_ptr<JLAlias> alias = JLAlias::initWithData(file.readAll());
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->lastKnownName(), QString::fromUtf8(GetParam().name));
    EXPECT_EQ(alias->lastKnownVolumeName(), QString::fromUtf8(GetParam().volume));
    EXPECT_EQ(alias->lastKnownPath(), QString::fromUtf8(GetParam().path));
    EXPECT_EQ(alias->lastKnownShareURL(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(JLAlias, MacRecords,
    testing::Values(MacRecord {"ClassicBox_AppAlias.alis", "app", "Boot", "Boot:AutQuit7:A:B:app"},
        MacRecord {"tcl_LibraryFolder.alis", "(Support Libraries)", "/", "/:(Support Libraries)"},
        MacRecord {"node-alias_TestBkg.alis", "TestBkg.tiff", "Test Title",
            "/Volumes/Test Title/.background/TestBkg.tiff"},
        MacRecord {"dtformats_loginitems_v3.alis", "iTunesHelper.app", "Macintosh HD",
            "/Applications/iTunes.app/Contents/MacOS/iTunesHelper.app"}));

struct KindCase {
    const char* name;
    bool folder;
    bool executable;
    quint32 type;
};

class TargetKinds : public AliasFiles, public testing::WithParamInterface<KindCase> { };

TEST_P(TargetKinds, GiveTheAliasItsTypeCode)
{
    const QString target = make(QString::fromUtf8(GetParam().name), GetParam().folder);
    if (GetParam().executable)
        QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner);
    EXPECT_EQ(aliasOSTypeFor(QUrl::fromLocalFile(target)), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(AliasFile, TargetKinds,
    testing::Values(KindCase {"plain.txt", false, false, 0},
        KindCase {"tool", false, true, kApplicationAlias},
        KindCase {"Folder", true, false, kFolderAlias},
        KindCase {"Thing.bundle", true, false, kPackageAlias}));

TEST(AliasFile, KindsWithoutATargetAreFolderAliasesAndTheRootIsADisk)
{
    EXPECT_EQ(aliasOSTypeFor(std::nullopt), kFolderAlias);
    EXPECT_EQ(aliasOSTypeFor(QUrl::fromLocalFile(QStringLiteral("/nonexistent/x"))), kFolderAlias);
    EXPECT_EQ(aliasOSTypeFor(QUrl::fromLocalFile(QStringLiteral("/"))), kDiskAlias);
}

TEST_F(AliasFiles, AliasFilesHoldTheRecordAndTheFinderInformation)
{
    const QString typed = make(QStringLiteral("typed.doc"));
    ASSERT_TRUE(
        JLCarbonUtilities::setFinderInfoFlags(typed, 0x0800, 0xFFFF, 0x57384244, 0x4D535744));
    const QString aliasPath = m_root.filePath(QStringLiteral("typed alias"));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(typed);
    ASSERT_TRUE(alias && alias->writeToFile(aliasPath));
    ASSERT_TRUE(alias->writeToFile(aliasPath)) << "a second write replaces the first";
    const auto fork = JLResourceFork::initForReadingAtPath(aliasPath);
    ASSERT_TRUE(fork);
    EXPECT_EQ(fork->everyResourceType(), QList<quint32> {kAliasResourceType});
    EXPECT_EQ(
        fork->nameOfResourceType(kAliasResourceType, 0), QStringLiteral("created by JLAlias"));
    (void)fork->closeFile();
    quint16 flags = 0;
    quint32 type = 0, creator = 0;
    ASSERT_TRUE(JLCarbonUtilities::finderInfoFlags(aliasPath, &flags, &type, &creator));
    EXPECT_EQ(flags, 0x8000) << "a typed plain file without a custom icon gets no icon";
    EXPECT_EQ(type, 0x57384244u);
    EXPECT_EQ(creator, 0x4D535744u);
    const std::unique_ptr<JLAlias> read = JLAlias::initWithContentsOfFile(aliasPath);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->data(), alias->data());
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(aliasPath), typed);
    EXPECT_FALSE(JLAlias::initWithContentsOfFile(typed)) << "no fork";
}

TEST_F(AliasFiles, AnExistingForkKeepsItsOtherResources)
{
    const QString folder = make(QStringLiteral("Folder"), true);
    const QString aliasPath = m_root.filePath(QStringLiteral("Folder alias"));
    ASSERT_TRUE(JLResourceForkData::writeToResourceForkFile(
        "keep", aliasPath, 0x54455854, 1, std::nullopt));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(folder);
    ASSERT_TRUE(alias && alias->writeToFile(aliasPath));
    EXPECT_EQ(JLResourceForkData::dataWithResourceForkContentsOfFile(aliasPath, 0x54455854, 1),
        QByteArray("keep"));
    quint32 type = 0, creator = 0;
    ASSERT_TRUE(JLCarbonUtilities::finderInfoFlags(aliasPath, nullptr, &type, &creator));
    EXPECT_EQ(type, kFolderAlias);
    EXPECT_EQ(creator, finderCreatorCode);

    // Chains of alias files are followed; an alias of an alias file resolves to the end.
    const std::unique_ptr<JLAlias> ofAlias = JLAlias::aliasWithPath(aliasPath);
    const QString second = m_root.filePath(QStringLiteral("second alias"));
    ASSERT_TRUE(ofAlias && ofAlias->writeToFile(second));
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(second), folder);
    bool resolved = false;
    EXPECT_EQ(ofAlias->resolveIfIsAliasFile(&resolved).path(), folder);
    EXPECT_TRUE(resolved);
    EXPECT_EQ(alias->resolveIfIsAliasFile(&resolved).data(), alias->data());
    EXPECT_TRUE(resolved);
}

TEST_F(AliasFiles, AGoneTargetIsWrittenAsAFolderAlias)
{
    const QString target = make(QStringLiteral("gone.txt"));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(target);
    ASSERT_TRUE(QFile::remove(target));
    const QString aliasPath = m_root.filePath(QStringLiteral("gone alias"));
    ASSERT_TRUE(alias->writeToURL(QUrl::fromLocalFile(aliasPath)));
    quint16 flags = 0;
    quint32 type = 0;
    ASSERT_TRUE(JLCarbonUtilities::finderInfoFlags(aliasPath, &flags, &type, nullptr));
    EXPECT_EQ(flags, 0x8000);
    EXPECT_EQ(type, kFolderAlias);
    EXPECT_FALSE(alias->writeToFile(m_root.filePath(QStringLiteral("missing/alias"))));
}

}
