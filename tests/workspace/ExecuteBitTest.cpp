#include "workspace/ExecuteBit.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct FileSystemCase {
    const char* label;
    ExecuteBit::FileSystem fileSystem;
    bool meansSomething;
};

std::ostream& operator<<(std::ostream& stream, const FileSystemCase& testCase)
{
    return stream << testCase.label;
}

class ExecuteBitOnFileSystem : public testing::TestWithParam<FileSystemCase> { };

TEST_P(ExecuteBitOnFileSystem, MeansSomethingOnlyWhereTheFileSystemKeepsIt)
{
    EXPECT_EQ(ExecuteBit::meansSomethingOn(GetParam().fileSystem), GetParam().meansSomething);
}

const QStringList kCifsOptions {QStringLiteral("vers=3.1.1"), QStringLiteral("file_mode=0755"),
    QStringLiteral("nounix"), QStringLiteral("serverino")};

INSTANTIATE_TEST_SUITE_P(FileSystems, ExecuteBitOnFileSystem,
    testing::Values(FileSystemCase {"Ext4", {QStringLiteral("ext4"), {}, {}}, true},
        FileSystemCase {"Tmpfs", {QStringLiteral("tmpfs"), {}, {}}, true},
        FileSystemCase {"Nfs4", {QStringLiteral("nfs4"), {QStringLiteral("vers=4.2")}, {}}, true},
        FileSystemCase {"UnknownFileSystem", {QStringLiteral("zzfs"), {}, {}}, true},
        FileSystemCase {"Cifs", {QStringLiteral("cifs"), kCifsOptions, {}}, false},
        FileSystemCase {"Smb3", {QStringLiteral("smb3"), kCifsOptions, {}}, false},
        FileSystemCase {"CifsWithUnixExtensions",
            {QStringLiteral("cifs"), {QStringLiteral("vers=1.0"), QStringLiteral("unix")}, {}},
            true},
        FileSystemCase {"Smb3WithPosixExtensions",
            {QStringLiteral("smb3"), {QStringLiteral("vers=3.1.1"), QStringLiteral("posix")}, {}},
            true},
        FileSystemCase {
            "Vfat", {QStringLiteral("vfat"), {QStringLiteral("fmask=0022")}, {}}, false},
        FileSystemCase {"Exfat", {QStringLiteral("exfat"), {}, {}}, false},
        FileSystemCase {"GvfsSmbShare",
            {QStringLiteral("fuse.gvfsd-fuse"), {},
                QStringLiteral("smb-share:server=fs1,share=projects,user=anna")},
            false},
        FileSystemCase {"GvfsNfs",
            {QStringLiteral("fuse.gvfsd-fuse"), {},
                QStringLiteral("nfs:host=fs1,prefix=%2Fexport%2Fprojects")},
            true},
        FileSystemCase {"GvfsSftp",
            {QStringLiteral("fuse.gvfsd-fuse"), {}, QStringLiteral("sftp:host=fs1,user=anna")},
            true}),
    [](const testing::TestParamInfo<FileSystemCase>& item) {
        return std::string(item.param.label);
    });

TEST(ExecuteBit, CountsForALocalFileAndForWhatCannotBeLookedAt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("tool"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(ExecuteBit::meansSomethingAt(path));
    EXPECT_TRUE(ExecuteBit::meansSomethingAt(folder.filePath(QStringLiteral("gone"))));
}

}
