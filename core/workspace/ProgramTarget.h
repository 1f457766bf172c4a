#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Whether opening an item would start code rather than open a document. A shortcut's
// target is a stranger's file: before it is opened, the caller asks the user when the
// target is a program.
//
// The rule errs on the side of "program". An item is one when any of these holds:
// - its name ends in an extension of programs, installers, scripts, launchers or
//   libraries (.exe .msi .bat .ps1 .js .desktop .sh .AppImage .jar .so .lnk ...);
// - its content type is, or derives from, such a type (application/x-executable,
//   application/x-ms-dos-executable, application/x-msi, application/x-desktop,
//   application/x-shellscript, ...);
// - its first bytes are those of a program: ELF, a DOS/Windows "MZ" header, a "#!"
//   interpreter line, a desktop entry, a Windows shell link, a Java class;
// - it is a regular file marked executable whose content type can be run (programs
//   and every text type, since a text file with an execute bit is a script), or whose
//   type is unknown.
// The execute bit counts only on file systems that keep it (see ExecuteBit.h): on an SMB
// share, through GVfs or the kernel, every file comes out executable. Even where it
// counts, it does not make a document type (a .doc) a program. Folders are never
// programs.
struct ProgramTargetVerdict {
    QString contentType;
    // Why the item counts as a program, one phrase per rule that matched, such as
    // "its name ends in .exe (a Windows program)"; empty for a document.
    QStringList reasons;

    bool isProgram() const { return !reasons.isEmpty(); }
};

namespace ProgramTarget {

// Examines the item at path (following symbolic links; the name of the link and of
// the item it leads to both count). A path that does not exist is judged by its name.
ProgramTargetVerdict examine(const QString& path);
// The same where something is at path, none where nothing is: the look that finds the
// item is the one that examines it. Inside a share that GVfs mounts the share's daemon is
// asked (GvfsTarget.h), not GVfs's FUSE folder.
std::optional<ProgramTargetVerdict> examinePresent(const QString& path);

// The same from what is known of an item, without touching the file system: its
// names (the name it was given and, for a link, the name of what it leads to), its
// content type, its first bytes and whether it is a regular file with an execute bit
// on a file system where that bit counts.
ProgramTargetVerdict judge(const QStringList& fileNames, const QString& contentType,
    const QByteArray& head, bool executableRegularFile);

}
