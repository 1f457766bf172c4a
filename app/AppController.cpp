#include "AppController.h"

#include "alerts/AppAlerts.h"
#include "alerts/TargetExplanation.h"
#include "environment/AppEnvironment.h"
#include "filesvc/JLAlias.h"
#include "link/KTLinkService.h"
#include "platform/LocationUri.h"
#include "platform/StepTrace.h"
#include "platform/SystemLog.h"
#include "preferences/KTPreferences.h"
#include "shortcut/HVWindowsShortcut.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

namespace {

QString orNone(const std::optional<QString>& text)
{
    return text.value_or(QStringLiteral("(none)"));
}

// openFile can fail without a reason of its own (the workspace refused the target).
const QString unexplainedFailure = QStringLiteral("The target could not be opened.");

// Report.doc.lnk gives Report.doc, in the same folder.
QString withoutLastExtension(const QString& path)
{
    const QFileInfo file(path);
    const QString name = file.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return path;
    return file.dir().filePath(name.left(dot));
}

// Whether a mount string made of name names name: reading one turns backslashes into
// slashes, drops line breaks, trims white space and a leading "file:".
bool readsAsItIs(const QString& name)
{
    static const QRegularExpression changed(
        QStringLiteral("[\\\\\\n\\r\\x{85}]|^file:"), QRegularExpression::CaseInsensitiveOption);
    return name == name.trimmed() && !changed.match(name).hasMatch();
}

std::unique_ptr<QMimeData> textPasteboard(const QString& text)
{
    auto pasteboard = std::make_unique<QMimeData>();
    pasteboard->setData(QStringLiteral("text/plain"), text.toUtf8());
    return pasteboard;
}

std::unique_ptr<QMimeData> filesPasteboard(const QStringList& files)
{
    QList<QUrl> urls;
    for (const QString& file : files) {
        urls << (LocationUri::isServerPath(file)
                ? QUrl::fromEncoded(LocationUri::smbUri(file).toLatin1())
                : QUrl::fromLocalFile(file));
    }
    auto pasteboard = std::make_unique<QMimeData>();
    pasteboard->setUrls(urls);
    return pasteboard;
}

}

AppController::AppController(const AppEnvironment& environment)
    : m_environment(environment)
{
}

AppController::~AppController() = default;

void AppController::applicationDidFinishLaunching()
{
    if (!m_linkService)
        m_linkService = std::make_unique<KTLinkService>(m_environment);
}

bool AppController::openFile(const QString& path)
{
    const Result<bool> opened = openShortcutFile(path);
    return opened && *opened;
}

Result<bool> AppController::openShortcutFile(const QString& path, bool controlHeld)
{
    StepTrace::step("instance: open shortcut");
    KTPreferences& preferences = *m_environment.preferences;
    Result<std::unique_ptr<HVWindowsShortcut>> read =
        HVWindowsShortcut::readFile(path, preferences.driveMapping());
    StepTrace::step("instance: shortcut read");
    if (!read) {
        if (const std::unique_ptr<JLAlias> alias = JLAlias::initWithContentsOfFile(path))
            return openAliasFile(*alias);
        SystemLog::write(QStringLiteral("Open shortcut %1: %2").arg(path, read.reason()));
        m_environment.alerts->runModalAlert(QStringLiteral("Convert Shortcut Failed"),
            QStringLiteral("Invalid Shortcut File. Failed to create alias."));
        return Failure {path + QStringLiteral(": ") + read.reason()};
    }
    const std::unique_ptr<HVWindowsShortcut> shortcut = std::move(read).value();
    shortcut->setMappingEnabled(preferences.mappingEnabled());
    shortcut->setMountMethod(preferences.mountMethod());
    SystemLog::write(QStringLiteral("Open shortcut Share: %1 file: %2")
                         .arg(orNone(shortcut->networkShare()), orNone(shortcut->filename())));
    StepTrace::step("instance: settings read");
    const bool convert = preferences.createAlias() || controlHeld;
    shortcut->setAliasFollowsOpening(convert);
    if (!m_environment.openShortcut(*shortcut)) {
        m_environment.alerts->runModalAlert(QStringLiteral("Could not follow shortcut"),
            shortcut->errorMessage().value_or(unexplainedFailure),
            TargetExplanation::informativeText(*shortcut, TargetExplanation::Source::ShortcutFile));
        return false;
    }
    if (convert)
        return convertToAlias(*shortcut, path);
    return true;
}

bool AppController::openAliasFile(JLAlias& alias)
{
    alias.setAllowUserInteraction(true);
    const Result<FSRef> target = alias.resolve();
    if (!target) {
        m_environment.alerts->runModalAlert(
            QStringLiteral("Could not follow shortcut"), target.reason());
        return false;
    }
    const QString path = target->path();
    SystemLog::write(QStringLiteral("Open alias target: %1").arg(path));
    // A shortcut without a share opens "/" and its file name. Its text is read as a
    // Windows path, so a name that reading would change is refused rather than missed.
    const QString fileName = path.sliced(1);
    if (!readsAsItIs(fileName)) {
        m_environment.alerts->runModalAlert(QStringLiteral("Could not follow shortcut"),
            path + QStringLiteral(": the alias's target has a name that cannot be opened"));
        return false;
    }
    const auto shortcut = HVWindowsShortcut::initWithMountString(fileName);
    if (!m_environment.openShortcut(*shortcut)) {
        m_environment.alerts->runModalAlert(QStringLiteral("Could not follow shortcut"),
            shortcut->errorMessage().value_or(unexplainedFailure));
        return false;
    }
    return true;
}

bool AppController::convertToAlias(HVWindowsShortcut& shortcut, const QString& path)
{
    if (shortcut.saveAsAlias(withoutLastExtension(path)))
        return true;
    m_environment.alerts->runModalAlert(QStringLiteral("Could not create alias"),
        shortcut.errorMessage().value_or(QStringLiteral("Failed to create alias")));
    return false;
}

AppRequestOutcome AppController::perform(const AppRequest& request)
{
    applicationDidFinishLaunching();
    AppRequestOutcome outcome;
    switch (request.kind) {
    case AppRequest::Kind::Activate:
        break;
    case AppRequest::Kind::Open:
        // Each file's alert, then why its file could not be read.
        for (const QString& file : request.files.value_or(QStringList())) {
            const Result<bool> opened = openShortcutFile(file, request.controlHeld);
            for (const AppAlert& alert : m_environment.alerts->takeAlerts())
                outcome.failures << alert.lines();
            if (!opened)
                outcome.failures << opened.reason();
        }
        break;
    case AppRequest::Kind::OpenLink:
    case AppRequest::Kind::CopyPath:
        if (const QString error = performService(request); !error.isEmpty())
            outcome.failures << error;
        break;
    }
    for (const AppAlert& alert : m_environment.alerts->takeAlerts())
        outcome.failures << alert.lines();
    return outcome;
}

QString AppController::performService(const AppRequest& request)
{
    QString error;
    if (request.kind == AppRequest::Kind::OpenLink) {
        const std::unique_ptr<QMimeData> pasteboard =
            request.text ? textPasteboard(*request.text) : m_environment.primarySelection();
        m_linkService->doOpenLinkService(*pasteboard, &error);
    } else {
        const std::unique_ptr<QMimeData> pasteboard =
            request.files ? filesPasteboard(*request.files) : m_environment.clipboardContents();
        m_linkService->doCopyPathToClipboardService(*pasteboard, &error);
    }
    return error;
}
