#include "workspace/ProgramTarget.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The start of a Windows shell link: HeaderSize 0x4C and the LinkCLSID.
const QByteArray kShellLinkHeader("L\0\0\0\x01\x14\x02\0\0\0\0\0\xc0\0\0\0\0\0\0F", 20);
// The start of an OLE compound file, as .doc and .msi files have it.
const QByteArray kOleHeader("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8);

QByteArray elfProgram()
{
    QFile file(QStringLiteral("/bin/true"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

enum class Item { File, Folder, Missing, LinkToElf };

struct Case {
    const char* label;
    const char* name;
    Item item;
    QByteArray contents;
    mode_t mode;
    bool program;
    const char* reason; // a part of one of the reasons, for programs
};

std::ostream& operator<<(std::ostream& stream, const Case& testCase)
{
    return stream << testCase.label;
}

class ProgramTargetRule : public testing::TestWithParam<Case> {
protected:
    QString make(const Case& testCase)
    {
        QString path = m_folder.filePath(QString::fromUtf8(testCase.name));
        switch (testCase.item) {
        case Item::Folder:
            QDir().mkpath(path);
            break;
        case Item::Missing:
            break;
        case Item::LinkToElf: {
            const QString target = m_folder.filePath(QStringLiteral("real-tool"));
            write(target, elfProgram(), 0755);
            QFile::link(target, path);
            break;
        }
        case Item::File:
            write(path, testCase.contents, testCase.mode);
            break;
        }
        return path;
    }

    static void write(const QString& path, const QByteArray& contents, mode_t mode)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(contents), contents.size());
        file.close();
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    }

    QTemporaryDir m_folder;
};

TEST_P(ProgramTargetRule, JudgesItem)
{
    const Case& testCase = GetParam();
    const ProgramTargetVerdict verdict = ProgramTarget::examine(make(testCase));
    const QString reasons = verdict.reasons.join(QStringLiteral("; "));
    EXPECT_EQ(verdict.isProgram(), testCase.program)
        << "type " << verdict.contentType.toStdString() << ", reasons: " << reasons.toStdString();
    if (testCase.program) {
        EXPECT_TRUE(reasons.contains(QLatin1String(testCase.reason))) << reasons.toStdString();
    }
}

const QByteArray kText("Meeting notes\nNothing to run here.\n");

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
        Case {"ShellLinkUnderOtherName", "readme", Item::File,
            kShellLinkHeader + QByteArray(60, '\0'), 0644, true, "shell link header"},
        Case {"VersionedSharedLibrary", "libreport.so.2.1", Item::File, kText, 0644, true,
            "a library"},
        Case {"JavaArchive", "viewer.jar", Item::File, "PK\x03\x04", 0644, true, ".jar"},
        Case {"ExecutableText", "notes.txt", Item::File, kText, 0755, true, "marked executable"},
        Case {"ExecutableUnknownBinary", "blob.dat", Item::File,
            QByteArray("\x01\x02\x03\x04\x05\xff\xfe", 7), 0700, true, "type is unknown"},
        Case {"LinkWithDocumentNameToProgram", "minutes.doc", Item::LinkToElf, {}, 0, true,
            "ELF header"},
        Case {"MissingProgramJudgedByName", "gone.exe", Item::Missing, {}, 0, true, ".exe"},
        Case {"PlainText", "notes.txt", Item::File, kText, 0644, false, ""},
        Case {"WordDocument", "letter.doc", Item::File, kOleHeader + QByteArray(504, '\0'), 0644,
            false, ""},
        // Where the execute bit counts, it still makes no program of a document type.
        Case {"WordDocumentWithExecuteBit", "letter.doc", Item::File,
            kOleHeader + QByteArray(504, '\0'), 0744, false, ""},
        Case {"PdfDocument", "plan.pdf", Item::File, "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n", 0644, false,
            ""},
        Case {"Folder", "Projects", Item::Folder, {}, 0, false, ""},
        Case {"FolderWithProgramName", "Tools.exe", Item::Folder, {}, 0, false, ""},
        Case {"MissingDocument", "gone.doc", Item::Missing, {}, 0, false, ""}),
    [](const testing::TestParamInfo<Case>& item) { return std::string(item.param.label); });

// A link is judged by the name of what it points to as well: a document's name on a
// link to a program hides nothing. Links in the folders above change no name.
TEST(ProgramTarget, LinkIsJudgedByItsTargetsName)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile program(folder.filePath(QStringLiteral("setup.exe")));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write(kText);
    program.close();
    const QString link = folder.filePath(QStringLiteral("minutes.doc"));
    ASSERT_TRUE(QFile::link(program.fileName(), link));
    const ProgramTargetVerdict linked = ProgramTarget::examine(link);
    EXPECT_TRUE(linked.isProgram());
    EXPECT_TRUE(linked.reasons.join(QLatin1Char(';')).contains(QLatin1String(".exe")));

    const QString linkedFolder = folder.filePath(QStringLiteral("shortcut-folder"));
    ASSERT_TRUE(QFile::link(folder.path(), linkedFolder));
    QFile notes(folder.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write(kText);
    notes.close();
    EXPECT_FALSE(ProgramTarget::examine(linkedFolder + QStringLiteral("/notes.txt")).isProgram());
}

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
