#include "shortcut/HVWindowsShortcut.h"

namespace {

const QLatin1Char slash('/');
const QLatin1Char backslash('\\');
const QLatin1String fileScheme("file:");

QString withForwardSlashes(QString text)
{
    return text.replace(backslash, slash);
}

qsizetype leadingSlashCount(const QString& text)
{
    // A text made only of slashes (or empty) counts up to its end.
    qsizetype count = 0;
    while (count < text.size() && text[count] == slash)
        ++count;
    return count;
}

}

std::unique_ptr<HVWindowsShortcut> HVWindowsShortcut::initWithMountString(
    const QString& text, std::optional<DriveMappingList> driveMapping)
{
    std::unique_ptr<HVWindowsShortcut> shortcut(new HVWindowsShortcut(std::move(driveMapping)));
    QString target = withForwardSlashes(text);
    target.remove(QChar(0x000A)).remove(QChar(0x000D)).remove(QChar(0x0085));
    // QChar::isSpace is the white-space-and-newline set: tab, U+000A to U+000D, U+0085
    // and the Unicode space, line and paragraph separators.
    target = target.trimmed();
    if (target.startsWith(fileScheme, Qt::CaseInsensitive))
        target.remove(0, fileScheme.size());
    const qsizetype slashes = leadingSlashCount(target);
    if (slashes > 2)
        target.remove(0, slashes - 2);
    shortcut->setFullFilename(target);
    return shortcut;
}

std::optional<HVWindowsShortcut::SplitTarget> HVWindowsShortcut::splitFullFilename() const
{
    // No target, or one too short to begin with "//" or name a file: nothing to split.
    if (!m_fullFilename || m_fullFilename->size() < 2)
        return std::nullopt;
    const QString target = substituteMapping(withForwardSlashes(*m_fullFilename));
    if (!target.startsWith(QLatin1String("//")))
        return SplitTarget {std::nullopt, target};
    const qsizetype serverEnd = target.indexOf(slash, 2);
    if (serverEnd < 0)
        return std::nullopt;
    const qsizetype shareEnd = target.indexOf(slash, serverEnd + 1);
    if (shareEnd < 0)
        return SplitTarget {target, QString()};
    return SplitTarget {target.first(shareEnd), target.sliced(shareEnd + 1)};
}

QString HVWindowsShortcut::substituteMapping(const QString& text) const
{
    if (!m_mappingEnabled || !m_driveMapping)
        return text;
    for (const KTDriveMapping& mapping : *m_driveMapping) {
        // A mapping without both texts, or from an empty text, never matches.
        if (!mapping.mapFrom() || !mapping.mapTo() || mapping.mapFrom()->isEmpty())
            continue;
        const QString from = withForwardSlashes(*mapping.mapFrom());
        const qsizetype found = text.indexOf(from, 0, Qt::CaseInsensitive);
        if (found < 0)
            continue;
        QString result = text;
        return result.replace(found, from.size(), withForwardSlashes(*mapping.mapTo()));
    }
    return text;
}

std::optional<QString> HVWindowsShortcut::networkShare(bool withMountMethod) const
{
    const std::optional<SplitTarget> split = splitFullFilename();
    if (!split || !split->share)
        return std::nullopt;
    if (withMountMethod)
        return m_mountMethod + QLatin1Char(':') + *split->share;
    return split->share;
}

std::optional<QString> HVWindowsShortcut::filename() const
{
    const std::optional<SplitTarget> split = splitFullFilename();
    if (!split)
        return std::nullopt;
    return split->filename;
}

std::optional<QString> HVWindowsShortcut::composedLinkName(bool withMountMethod) const
{
    const std::optional<SplitTarget> split = splitFullFilename();
    if (!split)
        return std::nullopt;
    if (!split->share)
        return split->filename;
    const QString share =
        withMountMethod ? m_mountMethod + QLatin1Char(':') + *split->share : *split->share;
    return share + slash + split->filename;
}
