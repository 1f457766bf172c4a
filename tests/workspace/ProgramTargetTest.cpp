#include "workspace/ProgramTarget.h"

#include "support/ShellLinkWriter.h"
#include "workspace/ExecuteBit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

TEST(ExecuteBit, CountsOnlyWhereTheFileSystemKeepsIt)
{
    const struct {
        const char* type;
        const char* options; // comma-separated super options
        const char* gvfsMount;
        bool bitCounts;
    } rows[] = {{"ext4", "", "", true}, {"nfs4", "vers=4.2", "", true}, {"zzfs", "", "", true},
        {"cifs", "vers=3.1.1,file_mode=0755,nounix,serverino", "", false},
        {"smb3", "vers=3.1.1,file_mode=0755,nounix", "", false},
        {"cifs", "vers=1.0,unix", "", true}, {"smb3", "vers=3.1.1,posix", "", true},
        {"vfat", "fmask=0022", "", false}, {"exfat", "", "", false},
        {"fuse.gvfsd-fuse", "", "smb-share:server=fs1,share=projects,user=anna", false},
        {"fuse.gvfsd-fuse", "", "nfs:host=fs1,prefix=%2Fexport", true},
        {"fuse.gvfsd-fuse", "", "sftp:host=fs1,user=anna", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.type) + " " + row.options + row.gvfsMount);
        EXPECT_EQ(ExecuteBit::meansSomethingOn({QString::fromLatin1(row.type),
                      QString::fromLatin1(row.options).split(u',', Qt::SkipEmptyParts),
                      QString::fromLatin1(row.gvfsMount)}),
            row.bitCounts);
    }
    // What cannot be looked at counts (a local file's bit counts in ProgramTarget.JudgesItems).
    EXPECT_TRUE(ExecuteBit::meansSomethingAt(u"/nonexistent/tool"_s));
}

QByteArray elfProgram()
{
    QFile file(u"/bin/true"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kText("Meeting notes\nNothing to run here.\n");
// The start of an OLE compound file, as .doc and .msi files have it.
const QByteArray kOleHeader("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8);
const QByteArray kWordDocument = kOleHeader + QByteArray(504, '\0');

// Link: a symbolic link named `name` to a file named `target`. InLinkedFolder: the file
// inside a folder reached through a link.
enum class Item { File, Link, InLinkedFolder, Folder, Missing };

struct Case {
    const char* name;
    Item item;
    QByteArray contents;
    mode_t mode;
    bool program;
    const char* reason = ""; // a part of one of the reasons, for programs
    const char* target = "";
};

bool write(const QString& path, const QByteArray& contents, mode_t mode)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size()
        && ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

QString make(const QDir& folder, const Case& row)
{
    const QString name = QString::fromUtf8(row.name);
    const QString target = folder.filePath(QString::fromUtf8(row.target));
    if (row.item == Item::Folder)
        folder.mkpath(name);
    if (row.item == Item::Link && write(target, row.contents, row.mode))
        QFile::link(target, folder.filePath(name));
    if (row.item == Item::File || row.item == Item::InLinkedFolder)
        write(folder.filePath(name), row.contents, row.mode);
    if (row.item != Item::InLinkedFolder)
        return folder.filePath(name);
    QFile::link(folder.path(), folder.filePath(u"linked"_s));
    return folder.filePath(u"linked/"_s + name);
}

TEST(ProgramTarget, JudgesItems)
{
    const Case rows[] = {{"tool", Item::File, elfProgram(), 0755, true, "ELF header"},
        {"photo.jpg", Item::File, elfProgram(), 0644, true, "ELF header"},
        {"cleanup", Item::File, "#!/bin/sh\nrm -rf \"$HOME\"\n", 0644, true, "#! line"},
        {"Report.desktop", Item::File,
            "[Desktop Entry]\nType=Application\nName=Report\nExec=sh -c true\n", 0644, true,
            "desktop launcher"},
        {"Report", Item::File, "# made by hand\n\n[Desktop Entry]\nType=Application\nExec=true\n",
            0644, true, "[Desktop Entry]"},
        {"setup.exe", Item::File, kText, 0644, true, ".exe"},
        {"SETUP.MSI", Item::File, kOleHeader, 0644, true, ".msi"},
        {"Deploy.Ps1", Item::File, kText, 0644, true, ".ps1"},
        {"report.doc", Item::File, QByteArray("MZ\x90\0\x03\0\0\0", 8) + QByteArray(120, '\0'),
            0644, true, "MZ header"},
        {"readme", Item::File, ShellLinkWriter::write({}), 0644, true, "shell link header"},
        {"libreport.so.2.1", Item::File, kText, 0644, true, "a library"},
        {"viewer.jar", Item::File, "PK\x03\x04", 0644, true, ".jar"},
        {"notes.txt", Item::File, kText, 0755, true, "marked executable"},
        {"blob.dat", Item::File, QByteArray("\x01\x02\x03\x04\x05\xff\xfe", 7), 0700, true,
            "type is unknown"},
        {"minutes.doc", Item::Link, elfProgram(), 0755, true, "ELF header", "real-tool"},
        // A document's name on a link hides nothing: the target's name counts too.
        {"minutes.doc", Item::Link, kText, 0644, true, ".exe", "setup.exe"},
        {"gone.exe", Item::Missing, {}, 0, true, ".exe"},
        {"notes.txt", Item::File, kText, 0644, false},
        // A link among the folders above renames nothing.
        {"notes.txt", Item::InLinkedFolder, kText, 0644, false},
        {"letter.doc", Item::File, kWordDocument, 0644, false},
        // Where the execute bit counts, it still makes no program of a document type.
        {"letter.doc", Item::File, kWordDocument, 0744, false},
        {"plan.pdf", Item::File, "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n", 0644, false},
        {"Projects", Item::Folder, {}, 0, false}, {"Tools.exe", Item::Folder, {}, 0, false},
        {"gone.doc", Item::Missing, {}, 0, false}};
    for (const Case& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " (row " + std::to_string(&row - rows) + ")");
        QTemporaryDir folder;
        const ProgramTargetVerdict verdict = ProgramTarget::examine(make(QDir(folder.path()), row));
        const std::string reasons = verdict.reasons.join(u"; "_s).toStdString();
        EXPECT_EQ(verdict.isProgram(), row.program)
            << "type " << verdict.contentType.toStdString() << ", reasons: " << reasons;
        EXPECT_NE(reasons.find(row.reason), std::string::npos) << reasons;
    }
}

}
