#include "link/KTLinkService.h"

#include "alerts/AppAlerts.h"
#include "alerts/TargetExplanation.h"
#include "environment/AppEnvironment.h"
#include "link/Pasteboard.h"
#include "platform/LocationUri.h"
#include "platform/SystemLog.h"
#include "preferences/KTPreferences.h"
#include "shortcut/HVWindowsShortcut.h"
#include "text/PercentEscapes.h"

#include <QMimeData>

const QString KTLinkService::noProperSelectionError =
    QStringLiteral("Error: Pasteboard doesn't contain a proper selection");
const QString KTLinkService::emptySelectionError =
    QStringLiteral("Error: Pasteboard contains empty String selection");
const QString KTLinkService::noClipboardError = QStringLiteral(
    "Error: There is no clipboard without a display (kestrova winpath prints the paths)");

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString orNone(const std::optional<QString>& text)
{
    return text.value_or(QStringLiteral("(none)"));
}

// openFile can fail without a reason of its own (the workspace refused the target).
const QString unexplainedFailure = QStringLiteral("The target could not be opened.");

}

KTLinkService::KTLinkService(const AppEnvironment& environment)
    : m_environment(environment)
{
}

void KTLinkService::doOpenLinkService(const QMimeData& pasteboard, QString* error)
{
    const Pasteboard::LinkText chosen = Pasteboard::linkText(pasteboard);
    if (!chosen.hasSelection) {
        setError(error, noProperSelectionError);
        return;
    }
    const std::optional<QString> text =
        chosen.text ? PercentEscapes::decodeAsAscii(*chosen.text) : std::nullopt;
    if (!text) {
        setError(error, emptySelectionError);
        return;
    }
    KTPreferences& preferences = *m_environment.preferences;
    const auto shortcut = HVWindowsShortcut::initWithMountString(*text, preferences.driveMapping());
    if (!shortcut) {
        m_environment.alerts->runModalAlert(QStringLiteral("Invalid Path"),
            QStringLiteral("Failed to generate a valid mount path."));
        return;
    }
    shortcut->setMappingEnabled(preferences.mappingEnabled());
    shortcut->setMountMethod(preferences.mountMethod());
    SystemLog::write(QStringLiteral("Follow Windows Link Share: %1 file: %2")
                         .arg(orNone(shortcut->networkShare()), orNone(shortcut->filename())));
    if (!m_environment.openShortcut(*shortcut)) {
        m_environment.alerts->runModalAlert(QStringLiteral("Could not follow link"),
            shortcut->errorMessage().value_or(unexplainedFailure),
            TargetExplanation::informativeText(*shortcut, TargetExplanation::Source::Selection));
    }
}

void KTLinkService::doCopyPathToClipboardService(const QMimeData& pasteboard, QString* error)
{
    const std::optional<QStringList> files = Pasteboard::fileNames(pasteboard);
    if (!files) {
        setError(error, noProperSelectionError);
        return;
    }
    QStringList paths;
    for (const QString& file : *files) {
        SystemLog::write(QStringLiteral("File: ") + file);
        paths << windowsPath(file);
    }
    if (paths.isEmpty())
        return;
    // A clipboard holds one item: the paths go as one text, a path a line.
    if (!m_environment.setClipboardText(paths.join(QLatin1Char('\n'))))
        setError(error, noClipboardError);
}

QString KTLinkService::windowsPath(const QString& path) const
{
    const KTPreferences& preferences = *m_environment.preferences;
    // A file given in its server form (an smb: URI) needs no volume to be found on.
    const QString serverPath =
        LocationUri::isServerPath(path) ? path : m_environment.networkVolumePath(path);
    QString result = doInverseMapping(serverPath);
    if (preferences.useQuotationMarks())
        result = QLatin1Char('"') + result + QLatin1Char('"');
    if (preferences.useBackwardSlash())
        result.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return result;
}

QString KTLinkService::doInverseMapping(const QString& path) const
{
    const KTPreferences& preferences = *m_environment.preferences;
    if (!preferences.mappingEnabled())
        return path;
    const std::optional<DriveMappingList> mappings = preferences.driveMapping();
    if (!mappings)
        return path;
    for (const KTDriveMapping& mapping : *mappings) {
        QString share = mapping.mapTo().value_or(QString());
        share.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (share.isEmpty())
            continue;
        const qsizetype found = path.indexOf(share, 0, Qt::CaseInsensitive);
        // A mapping without a drive letter has nothing to put in the share's place; the
        // path keeps its share rather than lose it, and later mappings may still apply.
        if (found < 0 || !mapping.mapFrom())
            continue;
        return path.left(found) + *mapping.mapFrom() + path.mid(found + share.size());
    }
    return path;
}
