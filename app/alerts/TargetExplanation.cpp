#include "alerts/TargetExplanation.h"

#include "platform/ControlEscapes.h"
#include "platform/FileProblems.h"
#include "shortcut/HVWindowsShortcut.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

using ControlEscapes::escapeControls;

namespace {

// Cut points tried at the end of a selection, and folders climbed looking for the
// part of a path that is still there: enough for any real case, and a bound on the
// file-system lookups a stranger's text can cause.
constexpr int kMaxCutPoints = 8;
constexpr int kMaxClimbedFolders = 64;

const QLatin1Char slash('/');

QString quoted(const QString& text)
{
    return QChar(0x201c) + escapeControls(text) + QChar(0x201d);
}

bool exists(const QString& path)
{
    return !FileProblems::lookupProblem(path);
}

QString parentOf(const QString& path)
{
    const qsizetype last = path.lastIndexOf(slash);
    return last > 0 ? path.left(last) : QStringLiteral("/");
}

QString windowsForm(QString target)
{
    return target.replace(slash, QLatin1Char('\\'));
}

QString targetText(const HVWindowsShortcut& shortcut)
{
    return shortcut.fullFilename().value_or(QString()).replace(QLatin1Char('\\'), slash);
}

std::optional<QString> mappedShare(const HVWindowsShortcut& shortcut, const QString& letter)
{
    for (const KTDriveMapping& mapping : shortcut.driveMapping().value_or(DriveMappingList())) {
        if (mapping.mapFrom() && mapping.mapFrom()->compare(letter, Qt::CaseInsensitive) == 0)
            return mapping.mapTo().value_or(QString());
    }
    return std::nullopt;
}

// A target without share that begins with a drive letter ("X:" or "X:\..."), which
// only a drive mapping turns into a share.
std::optional<QString> driveReason(const HVWindowsShortcut& shortcut)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:(?:/|$)"));
    const QString target = targetText(shortcut);
    if (shortcut.networkShare() || !drive.match(target).hasMatch())
        return std::nullopt;
    const QString letter = target.left(2).toUpper();
    const std::optional<QString> share = mappedShare(shortcut, letter);
    if (!share)
        return QStringLiteral("%1 has no drive mapping: add one in the settings window")
            .arg(letter);
    if (!shortcut.mappingEnabled()) {
        return QStringLiteral("%1 has a drive mapping, but drive mappings are off: turn them on in "
                              "the settings window")
            .arg(letter);
    }
    return QStringLiteral("%1 is mapped to %2, which names no server share (\\\\server\\share): "
                          "change it in the settings window")
        .arg(letter, quoted(*share));
}

// Words in front of a UNC or drive-letter path in the selected text: the target then
// names no share, and holds the path further on.
std::optional<QString> leadingTextReason(const HVWindowsShortcut& shortcut)
{
    static const QRegularExpression pathStart(QStringLiteral("(?<![A-Za-z0-9/])(?://|[A-Za-z]:/)"));
    const QString target = targetText(shortcut);
    if (shortcut.networkShare())
        return std::nullopt;
    const QRegularExpressionMatch found = pathStart.match(target, 1);
    if (!found.hasMatch())
        return std::nullopt;
    return QStringLiteral("The selection holds %1 in front of the path: select the path alone")
        .arg(quoted(target.left(found.capturedStart())));
}

QString withoutTrailingPunctuation(QString path)
{
    static const QString punctuation = QStringLiteral(".,;:!?)]}>\"'\u00bb\u201d\u2019");
    while (path.size() > 1 && punctuation.contains(path.back()))
        path.chop(1);
    return path;
}

// Words or punctuation after the path in the selected text: the path without them,
// cut at one of the last blanks or before closing punctuation, exists.
std::optional<QString> trailingTextReason(const QString& path)
{
    QList<qsizetype> cuts {path.size()};
    for (qsizetype index = path.size() - 1; index > 0 && cuts.size() <= kMaxCutPoints; --index) {
        if (path[index].isSpace())
            cuts << index;
    }
    for (const qsizetype cut : cuts) {
        const QString candidate = withoutTrailingPunctuation(path.left(cut).trimmed());
        if (candidate.size() < path.size() && candidate.size() > 1 && exists(candidate)) {
            return QStringLiteral("The selection holds more than the path: %1 exists, without "
                                  "the %2 that follows it: select the path alone")
                .arg(quoted(candidate), quoted(path.mid(candidate.size())));
        }
    }
    return std::nullopt;
}

// The deepest part of the path that is still there, and what is missing in it.
QString goneReason(const QString& path)
{
    QString missing = path;
    QString folder = parentOf(path);
    for (int climbed = 0;
         climbed < kMaxClimbedFolders && folder != QLatin1String("/") && !exists(folder);
         ++climbed) {
        missing = folder;
        folder = parentOf(folder);
    }
    const QString name = missing.mid(missing.lastIndexOf(slash) + 1);
    const QString kind = missing == path ? QStringLiteral("no ") : QStringLiteral("no folder ");
    return QStringLiteral("The folder %1 holds %2%3: it was moved, renamed or deleted")
        .arg(quoted(folder), kind, quoted(name));
}

QString missingReason(
    const HVWindowsShortcut& shortcut, const QString& path, TargetExplanation::Source source)
{
    if (std::optional<QString> reason = driveReason(shortcut))
        return *reason;
    if (source == TargetExplanation::Source::Selection) {
        if (std::optional<QString> reason = leadingTextReason(shortcut))
            return *reason;
        if (std::optional<QString> reason = trailingTextReason(path))
            return *reason;
    }
    return goneReason(path);
}

}

namespace TargetExplanation {

QString informativeText(const HVWindowsShortcut& shortcut, Source source)
{
    QStringList facts {
        QStringLiteral("Windows path: ") + escapeControls(windowsForm(targetText(shortcut)))};
    const std::optional<QString>& path = shortcut.localPath();
    if (!path) {
        const std::optional<QString> share = shortcut.networkShare();
        facts << (share ? QStringLiteral("Local path: none, as %1 is not mounted")
                              .arg(escapeControls(windowsForm(*share)))
                        : QStringLiteral("Local path: none"));
        return facts.join(QLatin1Char('\n'));
    }
    facts << QStringLiteral("Local path: ") + escapeControls(*path);
    // A target without share is looked for at "/" and its name, which for a local path
    // gives "//tmp/...": the reasons speak of the path as people write it.
    if (!exists(*path))
        facts << missingReason(shortcut, QDir::cleanPath(*path), source);
    return facts.join(QLatin1Char('\n'));
}

}
