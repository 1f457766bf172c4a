#include "workspace/ProgramTarget.h"

#include "support/ShellLinkWriter.h"
#include "workspace/ExecuteBit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct FileSystemCase {
    const char* label;
    const char* type;
    const char* options; // comma-separated super options
    const char* gvfsMount;
    bool bitCounts;
};

class ExecuteBitOn : public testing::TestWithParam<FileSystemCase> { };

TEST_P(ExecuteBitOn, CountsOnlyWhereTheFileSystemKeepsIt)
{
    const FileSystemCase& row = GetParam();
    const ExecuteBit::FileSystem fileSystem {QString::fromLatin1(row.type),
        QString::fromLatin1(row.options).split(QLatin1Char(','), Qt::SkipEmptyParts),
        QString::fromLatin1(row.gvfsMount)};
    EXPECT_EQ(ExecuteBit::meansSomethingOn(fileSystem), row.bitCounts);
}

INSTANTIATE_TEST_SUITE_P(FileSystems, ExecuteBitOn,
    testing::Values(FileSystemCase {"Ext4", "ext4", "", "", true},
        FileSystemCase {"Nfs4", "nfs4", "vers=4.2", "", true},
        FileSystemCase {"UnknownFileSystem", "zzfs", "", "", true},
        FileSystemCase {"Cifs", "cifs", "vers=3.1.1,file_mode=0755,nounix,serverino", "", false},
        FileSystemCase {"Smb3", "smb3", "vers=3.1.1,file_mode=0755,nounix", "", false},
        FileSystemCase {"CifsWithUnixExtensions", "cifs", "vers=1.0,unix", "", true},
        FileSystemCase {"Smb3WithPosixExtensions", "smb3", "vers=3.1.1,posix", "", true},
        FileSystemCase {"Vfat", "vfat", "fmask=0022", "", false},
        FileSystemCase {"Exfat", "exfat", "", "", false},
        FileSystemCase {"GvfsSmbShare", "fuse.gvfsd-fuse", "",
            "smb-share:server=fs1,share=projects,user=anna", false},
        FileSystemCase {"GvfsNfs", "fuse.gvfsd-fuse", "", "nfs:host=fs1,prefix=%2Fexport", true},
        FileSystemCase {"GvfsSftp", "fuse.gvfsd-fuse", "", "sftp:host=fs1,user=anna", true}),
    [](const auto& item) { return std::string(item.param.label); });

TEST(ExecuteBit, CountsForALocalFileAndForWhatCannotBeLookedAt)
{
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("tool")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(ExecuteBit::meansSomethingAt(file.fileName()));
    EXPECT_TRUE(ExecuteBit::meansSomethingAt(folder.filePath(QStringLiteral("gone"))));
}

QByteArray elfProgram()
{
    QFile file(QStringLiteral("/bin/true"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kText("Meeting notes\nNothing to run here.\n");
// The start of an OLE compound file, as .doc and .msi files have it.
const QByteArray kOleHeader("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8);

// File: the item itself. Link: a symbolic link named `name` to a file named `target`.
// InLinkedFolder: the file inside a folder reached through a link. Folder, Missing.
enum class Item { File, Link, InLinkedFolder, Folder, Missing };

struct Case {
    const char* label;
    const char* name;
    Item item;
    QByteArray contents;
    mode_t mode;
    bool program;
    const char* reason = ""; // a part of one of the reasons, for programs
    const char* target = "";
};

class ProgramTargetRule : public testing::TestWithParam<Case> {
protected:
    QString make(const Case& row)
    {
        const QString name = QString::fromUtf8(row.name);
        const QDir folder(m_folder.path());
        switch (row.item) {
        case Item::Folder:
            folder.mkpath(name);
            break;
        case Item::Link:
            write(folder.filePath(QString::fromUtf8(row.target)), row.contents, row.mode);
            QFile::link(folder.filePath(QString::fromUtf8(row.target)), folder.filePath(name));
            break;
        case Item::InLinkedFolder:
            write(folder.filePath(name), row.contents, row.mode);
            QFile::link(folder.path(), folder.filePath(QStringLiteral("linked")));
            return folder.filePath(QStringLiteral("linked/") + name);
        case Item::File:
            write(folder.filePath(name), row.contents, row.mode);
            break;
        case Item::Missing:
            break;
        }
        return folder.filePath(name);
    }

    static void write(const QString& path, const QByteArray& contents, mode_t mode)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(contents), contents.size());
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    }

    QTemporaryDir m_folder;
};

TEST_P(ProgramTargetRule, JudgesItem)
{
    const Case& row = GetParam();
    const ProgramTargetVerdict verdict = ProgramTarget::examine(make(row));
    const std::string reasons = verdict.reasons.join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(verdict.isProgram(), row.program)
        << "type " << verdict.contentType.toStdString() << ", reasons: " << reasons;
    EXPECT_NE(reasons.find(row.reason), std::string::npos) << reasons;
}

INSTANTIATE_TEST_SUITE_P(Items, ProgramTargetRule,
    testing::Values(Case {"ElfProgram", "tool", Item::File, elfProgram(), 0755, true, "ELF header"},
        Case {"ElfUnderDocumentName", "photo.jpg", Item::File, elfProgram(), 0644, true,
            "ELF header"},
        Case {"ShebangScriptWithoutExecuteBit", "cleanup", Item::File,
            "#!/bin/sh\nrm -rf \"$HOME\"\n", 0644, true, "#! line"},
        Case {"DesktopLauncher", "Report.desktop", Item::File,
            "[Desktop Entry]\nType=Application\nName=Report\nExec=sh -c true\n", 0644, true,
            "desktop launcher"},
        Case {"DesktopEntryUnderOtherName", "Report", Item::File,
            "# made by hand\n\n[Desktop Entry]\nType=Application\nExec=true\n", 0644, true,
            "[Desktop Entry]"},
        Case {"WindowsProgramByName", "setup.exe", Item::File, kText, 0644, true, ".exe"},
        Case {"WindowsInstallerByNameInCapitals", "SETUP.MSI", Item::File, kOleHeader, 0644, true,
            ".msi"},
        Case {"PowerShellScript", "Deploy.Ps1", Item::File, kText, 0644, true, ".ps1"},
        Case {"WindowsProgramByMagic", "report.doc", Item::File,
            QByteArray("MZ\x90\0\x03\0\0\0", 8) + QByteArray(120, '\0'), 0644, true, "MZ header"},
        Case {"ShellLinkUnderOtherName", "readme", Item::File, ShellLinkWriter::write({}), 0644,
            true, "shell link header"},
        Case {"VersionedSharedLibrary", "libreport.so.2.1", Item::File, kText, 0644, true,
            "a library"},
        Case {"JavaArchive", "viewer.jar", Item::File, "PK\x03\x04", 0644, true, ".jar"},
        Case {"ExecutableText", "notes.txt", Item::File, kText, 0755, true, "marked executable"},
        Case {"ExecutableUnknownBinary", "blob.dat", Item::File,
            QByteArray("\x01\x02\x03\x04\x05\xff\xfe", 7), 0700, true, "type is unknown"},
        Case {"LinkWithDocumentNameToElf", "minutes.doc", Item::Link, elfProgram(), 0755, true,
            "ELF header", "real-tool"},
        // A document's name on a link hides nothing: the target's name counts too.
        Case {"LinkWithDocumentNameToExeName", "minutes.doc", Item::Link, kText, 0644, true, ".exe",
            "setup.exe"},
        Case {"MissingProgramJudgedByName", "gone.exe", Item::Missing, {}, 0, true, ".exe"},
        Case {"PlainText", "notes.txt", Item::File, kText, 0644, false},
        // A link among the folders above renames nothing.
        Case {"PlainTextInLinkedFolder", "notes.txt", Item::InLinkedFolder, kText, 0644, false},
        Case {"WordDocument", "letter.doc", Item::File, kOleHeader + QByteArray(504, '\0'), 0644,
            false},
        // Where the execute bit counts, it still makes no program of a document type.
        Case {"WordDocumentWithExecuteBit", "letter.doc", Item::File,
            kOleHeader + QByteArray(504, '\0'), 0744, false},
        Case {"PdfDocument", "plan.pdf", Item::File, "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n", 0644, false},
        Case {"Folder", "Projects", Item::Folder, {}, 0, false},
        Case {"FolderWithProgramName", "Tools.exe", Item::Folder, {}, 0, false},
        Case {"MissingDocument", "gone.doc", Item::Missing, {}, 0, false}),
    [](const auto& item) { return std::string(item.param.label); });

TEST(ProgramTarget, NamesEveryRuleThatMatched)
{
    const ProgramTargetVerdict verdict = ProgramTarget::judge({QStringLiteral("setup.exe")},
        QStringLiteral("application/x-ms-dos-executable"), QByteArray("MZ"), false);
    EXPECT_EQ(verdict.reasons,
        QStringList({QStringLiteral("its name ends in .exe (a Windows program)"),
            QStringLiteral("its type is application/x-ms-dos-executable (a Windows program)"),
            QStringLiteral("it starts with an MZ header (a DOS or Windows program)")}));
}

}
