#include "workspace/ProgramTarget.h"

#include "platform/FileNames.h"
#include "workspace/ContentType.h"
#include "workspace/ExecuteBit.h"
#include "workspace/GvfsTarget.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

namespace ProgramTarget {
namespace {

struct ExtensionRule {
    const char* extensions; // space-separated, lower case
    const char* kind;
};

const ExtensionRule kExtensionRules[] = {
    {"exe com scr pif cpl msc gadget application appref-ms", "a Windows program"},
    {"msi msp mst msix msixbundle appx appxbundle", "a Windows installer"},
    {"bat cmd ps1 psm1 psd1 vbs vbe js jse wsf wsh wsc hta reg sct", "a Windows script"},
    {"lnk scf url", "a Windows shortcut"},
    {"dll ocx sys drv so dylib", "a library"},
    {"desktop kdelnk", "a desktop launcher"},
    {"sh bash zsh ksh csh tcsh fish command py pyw pl rb php lua tcl", "a script"},
    {"appimage run flatpak flatpakref snap deb rpm apk", "a Linux program or package"},
    {"jar class jnlp war ear", "a Java program"},
};

struct TypeRule {
    const char* contentType;
    const char* kind;
};

// Matched with subclasses: text/x-python is an application/x-executable.
const TypeRule kTypeRules[] = {
    {"application/x-executable", "a program"},
    {"application/x-pie-executable", "a program"},
    {"application/x-sharedlib", "a library"},
    {"application/x-ms-dos-executable", "a Windows program"},
    {"application/x-ms-ne-executable", "a Windows program"},
    {"application/vnd.microsoft.portable-executable", "a Windows program"},
    {"application/x-msdownload", "a Windows program"},
    {"application/x-msdos-program", "a Windows program"},
    {"application/x-dosexec", "a Windows program"},
    {"application/x-msi", "a Windows installer"},
    {"application/x-ms-shortcut", "a Windows shortcut"},
    {"application/x-bat", "a Windows script"},
    {"text/vbscript", "a Windows script"},
    {"text/x-ms-regedit", "a Windows script"},
    {"application/javascript", "a script"},
    {"text/javascript", "a script"},
    {"application/x-shellscript", "a script"},
    {"application/x-csh", "a script"},
    {"application/x-php", "a script"},
    {"application/x-ruby", "a script"},
    {"application/x-desktop", "a desktop launcher"},
    {"application/vnd.appimage", "an AppImage"},
    {"application/x-iso9660-appimage", "an AppImage"},
    {"application/x-java-archive", "a Java program"},
    {"application/x-java", "a Java program"},
    {"application/x-java-jnlp-file", "a Java program"},
    {"application/vnd.debian.binary-package", "a software package"},
    {"application/x-rpm", "a software package"},
    {"application/vnd.flatpak", "a software package"},
    {"application/vnd.flatpak.ref", "a software package"},
    {"application/vnd.android.package-archive", "a software package"},
};

struct MagicRule {
    QByteArrayView prefix;
    const char* shown = nullptr; // how the reason names the bytes
    const char* kind = nullptr;
};

const MagicRule kMagicRules[] = {
    {"\177ELF", "an ELF header", "a program or library"},
    {"MZ", "an MZ header", "a DOS or Windows program"},
    {"#!", "a #! line", "a script"},
    {"\xca\xfe\xba\xbe", "a Java class header", "a Java program"},
    {QByteArrayView("L\0\0\0\x01\x14\x02\0\0\0\0\0\xc0\0\0\0\0\0\0F", 20), "a shell link header",
        "a Windows shortcut"},
};

QString extensionReason(const QString& fileName)
{
    const QString lower = fileName.toLower();
    for (const ExtensionRule& rule : kExtensionRules) {
        const QStringList extensions = QString::fromLatin1(rule.extensions).split(QLatin1Char(' '));
        for (const QString& extension : extensions) {
            if (lower.endsWith(QLatin1Char('.') + extension))
                return QStringLiteral("its name ends in .%1 (%2)")
                    .arg(extension, QLatin1String(rule.kind));
        }
    }
    // Versioned shared libraries: libfoo.so.1, libfoo.so.1.2.3
    static const QRegularExpression versionedLibrary(QStringLiteral("\\.so(\\.[0-9]+)+$"));
    if (versionedLibrary.match(lower).hasMatch())
        return QStringLiteral("its name ends in .so and a version (a library)");
    return {};
}

QString typeReason(const QString& contentType)
{
    for (const TypeRule& rule : kTypeRules) {
        if (ContentType::isA(contentType, QLatin1String(rule.contentType)))
            return QStringLiteral("its type is %1 (%2)").arg(contentType, QLatin1String(rule.kind));
    }
    return {};
}

bool startsDesktopEntry(const QByteArray& head)
{
    QByteArrayView text(head);
    if (text.startsWith("\xef\xbb\xbf"))
        text = text.sliced(3);
    for (QByteArrayView line : QByteArray(text.toByteArray()).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        return line == QByteArrayView("[Desktop Entry]");
    }
    return false;
}

QString magicReason(const QByteArray& head)
{
    for (const MagicRule& rule : kMagicRules) {
        if (head.startsWith(rule.prefix))
            return QStringLiteral("it starts with %1 (%2)")
                .arg(QLatin1String(rule.shown), QLatin1String(rule.kind));
    }
    if (startsDesktopEntry(head))
        return QStringLiteral("it starts with [Desktop Entry] (a desktop launcher)");
    return {};
}

bool isUnknownType(const QString& contentType)
{
    return contentType == QLatin1String("application/octet-stream");
}

// Whether an execute bit would make an item of this type a program.
bool executeBitCanMatter(const QString& contentType)
{
    return ContentType::canBeExecutable(contentType) || isUnknownType(contentType);
}

QString executeBitReason(const QString& contentType, bool executableRegularFile)
{
    if (!executableRegularFile)
        return {};
    if (ContentType::canBeExecutable(contentType))
        return QStringLiteral("it is marked executable and its type %1 can be run")
            .arg(contentType);
    if (isUnknownType(contentType))
        return QStringLiteral("it is marked executable and its type is unknown");
    return {};
}

// The facts through the kernel; none when nothing is at path. On a network share every
// look at the file is a round trip to the server: the link test and the status come
// from one lstat where the item is no link.
std::optional<TargetFacts> localFacts(const QString& path)
{
    const QByteArray encoded = FileNames::encode(path);
    struct stat status { };
    if (::lstat(encoded.constData(), &status) != 0)
        return std::nullopt;
    const bool isLink = S_ISLNK(status.st_mode);
    if (isLink && ::stat(encoded.constData(), &status) != 0)
        return std::nullopt;

    const QFileInfo file(path);
    TargetFacts facts;
    facts.names = QStringList {file.fileName()};
    // Only a link, or a name of "." or "..", can make the real name another. Resolving
    // every folder of a path costs a round trip to the server each on a network share.
    if (isLink || file.fileName() == QLatin1String(".") || file.fileName() == QLatin1String("..")) {
        const QString resolved = file.canonicalFilePath();
        if (!resolved.isEmpty() && QFileInfo(resolved).fileName() != file.fileName())
            facts.names << QFileInfo(resolved).fileName();
    }
    facts.head = ContentType::fileHead(path).value_or(QByteArray());
    facts.contentType =
        S_ISREG(status.st_mode) ? ContentType::guess(path, facts.head) : ContentType::forFile(path);
    facts.markedExecutable =
        S_ISREG(status.st_mode) && (status.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
    // Finding the file system out walks the whole path; a document type needs none of it.
    facts.executeBitCounts = [path, device = status.st_dev] {
        return ExecuteBit::meansSomethingAt(path, device);
    };
    return facts;
}

}

ProgramTargetVerdict judge(const QStringList& fileNames, const QString& contentType,
    const QByteArray& head, bool executableRegularFile)
{
    ProgramTargetVerdict verdict {contentType, {}};
    if (contentType == QLatin1String("inode/directory"))
        return verdict;
    QStringList reasons;
    for (const QString& name : fileNames)
        reasons << extensionReason(name);
    reasons << typeReason(contentType) << magicReason(head)
            << executeBitReason(contentType, executableRegularFile);
    reasons.removeAll(QString());
    reasons.removeDuplicates();
    verdict.reasons = reasons;
    return verdict;
}

std::optional<ProgramTargetVerdict> examinePresent(const QString& path)
{
    GvfsTarget::Look look = GvfsTarget::look(path);
    if (look.presence == GvfsTarget::Presence::Absent)
        return std::nullopt;
    const std::optional<TargetFacts> facts = look.presence == GvfsTarget::Presence::Present
        ? std::optional(std::move(look.facts))
        : localFacts(path);
    if (!facts)
        return std::nullopt;
    return judge(facts->names, facts->contentType, facts->head,
        facts->markedExecutable && executeBitCanMatter(facts->contentType)
            && facts->executeBitCounts());
}

ProgramTargetVerdict examine(const QString& path)
{
    if (std::optional<ProgramTargetVerdict> verdict = examinePresent(path))
        return *std::move(verdict);
    return judge({QFileInfo(path).fileName()}, ContentType::guess(path, {}), {}, false);
}

}
