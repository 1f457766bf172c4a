#include "platform/StepTrace.h"
#include "platform/SystemLog.h"
#include "shortcut/HVWindowsShortcut.h"
#include "shortcut/OpeningServices.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// The referral wait tests for the target this many times, one second apart.
constexpr int kReferralTests = 15;
// An application still launching is activated again this many times, one second apart.
constexpr int kActivationRepeats = 5;

const QLatin1Char slash('/');

QString mountFailedMessage()
{
    return QStringLiteral("Mount of network drive failed");
}

QString targetMissingMessage()
{
    return QStringLiteral("Target file does not exist");
}

QString quotedName(const QString& path)
{
    return QStringLiteral("\u201c%1\u201d").arg(QFileInfo(path).fileName());
}

// A ".." never climbs above the share: on Windows \\srv\data\..\a.doc is \\srv\data\a.doc,
// while below a mount point it would lead out of the share onto the local disk.
QString keptWithinShare(const QString& filename)
{
    const QStringList parts = filename.split(slash);
    if (!parts.contains(QLatin1String("..")))
        return filename;
    QStringList kept;
    for (const QString& part : parts) {
        if (part != QLatin1String(".."))
            kept << part;
        else if (!kept.isEmpty())
            kept.removeLast();
    }
    return kept.join(slash);
}

// "/" and each directory below it down to the target's own directory:
// /Volumes/Projects/plans/a.doc gives /, /Volumes, /Volumes/Projects, /Volumes/Projects/plans.
QStringList directoriesDownTo(const QString& path)
{
    QStringList directories {QStringLiteral("/")};
    QString directory;
    const QStringList components = QFileInfo(path).path().split(slash, Qt::SkipEmptyParts);
    for (const QString& component : components) {
        directory += slash + component;
        directories << directory;
    }
    return directories;
}

QString programRefusedMessage(const QString& path, const ProgramTargetVerdict& verdict)
{
    return QStringLiteral("%1 was not opened because it is a program: %2. Kestrova opens "
                          "documents from shortcuts, not programs.")
        .arg(quotedName(path), verdict.reasons.join(QLatin1String("; ")));
}

}

const OpeningServices& HVWindowsShortcut::openingServices() const
{
    return m_openingServices ? *m_openingServices : OpeningServices::shared();
}

std::optional<HVWindowsShortcut::LocalTarget> HVWindowsShortcut::composeLocalTarget()
{
    const OpeningServices& services = openingServices();
    const std::optional<QString> share = networkShare();
    const std::optional<QString> file = filename();
    m_localPath.reset();
    LocalTarget target;
    if (!share) {
        if (file)
            target.path = slash + *file;
        m_localPath = target.path;
        return target;
    }
    std::optional<QString> mountPoint = services.networkVolumeForShare(*share);
    if (!mountPoint) {
        if (!services.mountNetworkVolume(*share, m_mountMethod)) {
            setErrorMessage(mountFailedMessage());
            return std::nullopt;
        }
        mountPoint = services.networkVolumeForShare(*share);
        target.mountedNow = true;
    }
    if (mountPoint && file)
        target.path = *mountPoint + slash + keptWithinShare(*file);
    m_localPath = target.path;
    return target;
}

bool HVWindowsShortcut::openFile()
{
    const OpeningServices& services = openingServices();
    const std::optional<LocalTarget> target = composeLocalTarget();
    StepTrace::step("open: local path composed");
    if (!target)
        return false;
    SystemLog::write(
        QStringLiteral("Composed link is: ") + target->path.value_or(QStringLiteral("(none)")));
    if (target->path) {
        if (const std::optional<ProgramTargetVerdict> verdict =
                services.examineTarget(*target->path)) {
            StepTrace::step("open: target examined");
            return openInForeground(*target->path, *verdict);
        }
    }
    if (!services.dfsInstalled()) {
        SystemLog::write(QStringLiteral("No DFS installed. No file found"));
        setErrorMessage(targetMissingMessage());
        return false;
    }
    SystemLog::write(QStringLiteral("I have DFS Installed - do the additional check"));
    // Only a share mounted just now can still be resolving referrals. Without a local
    // path no test could succeed, so there is nothing to wait for either.
    if (!target->mountedNow || !target->path) {
        setErrorMessage(targetMissingMessage());
        return false;
    }
    SystemLog::write(QStringLiteral(
        "This could be a DFS problem, loop through all directories and see if we have success"));
    return waitForReferredTarget(*target->path);
}

bool HVWindowsShortcut::waitForReferredTarget(const QString& path)
{
    const OpeningServices& services = openingServices();
    for (const QString& directory : directoriesDownTo(path))
        services.listDirectory(directory);
    for (int test = 0; test < kReferralTests; ++test) {
        services.sleepOneSecond();
        if (const std::optional<ProgramTargetVerdict> verdict = services.examineTarget(path))
            return openInForeground(path, *verdict);
    }
    SystemLog::write(QStringLiteral("Giving up after 15 retries. Still no success with mounting"));
    setErrorMessage(targetMissingMessage());
    return false;
}

bool HVWindowsShortcut::openInForeground(const QString& path, const ProgramTargetVerdict& verdict)
{
    const OpeningServices& services = openingServices();
    if (!mayOpenTarget(path, verdict))
        return false;
    const std::optional<TargetApplication> application =
        services.applicationForContentType(verdict.contentType);
    // GIO has no default choice to fall back on where the desktop names no application.
    if (!application) {
        setErrorMessage(QStringLiteral("No application is set to open %1 (type %2).")
                            .arg(quotedName(path), verdict.contentType));
        return false;
    }
    StepTrace::step("open: application found");
    SystemLog::write(
        QStringLiteral("Opening %1 with %2 (%3)").arg(path, application->name, application->id));
    const LaunchResult launched = services.openFileWithApplication(path, *application);
    StepTrace::step("open: launched");
    // The caller shows errorMessage; what it held before is no reason for this failure.
    if (!launched) {
        setErrorMessage(QStringLiteral("%1 could not be opened with %2: %3")
                            .arg(quotedName(path), application->name, launched.errorMessage));
        return false;
    }
    startMakingAlias(path);
    bringToFront(application->id);
    StepTrace::step("open: brought to front");
    return true;
}

bool HVWindowsShortcut::mayOpenTarget(const QString& path, const ProgramTargetVerdict& verdict)
{
    if (!verdict.isProgram())
        return true;
    SystemLog::write(QStringLiteral("Target %1 is a program: %2")
                         .arg(path, verdict.reasons.join(QLatin1String("; "))));
    const OpeningServices& services = openingServices();
    if (services.confirmProgramTarget && services.confirmProgramTarget(path, verdict))
        return true;
    setErrorMessage(programRefusedMessage(path, verdict));
    return false;
}

void HVWindowsShortcut::bringToFront(const QString& applicationId)
{
    const OpeningServices& services = openingServices();
    std::optional<RunningInstance> running = services.firstRunningApplication(applicationId);
    if (!running)
        return;
    running->activate();
    for (int repeat = 0;
         repeat < kActivationRepeats && !running->isActive && !running->isFinishedLaunching;
         ++repeat) {
        services.sleepOneSecond();
        running = services.firstRunningApplication(applicationId);
        // The application quit meanwhile: nothing is left to bring to the front.
        if (!running)
            return;
        running->activate();
    }
}
