#include "shortcut/OpeningServices.h"

#include "preferences/KTPreferences.h"
#include "volumes/KTMounter.h"
#include "workspace/DesktopApplication.h"

#include <QDirIterator>

#include <chrono>
#include <thread>

namespace {

std::optional<TargetApplication> defaultApplicationForContentType(const QString& contentType)
{
    const std::optional<DesktopApplication> application =
        DesktopApplication::defaultForContentType(contentType);
    if (!application)
        return std::nullopt;
    return TargetApplication {application->id(), application->name()};
}

LaunchResult openWithDesktopApplication(const QString& path, const TargetApplication& target)
{
    const std::optional<DesktopApplication> application = DesktopApplication::fromId(target.id);
    if (!application)
        return {false, std::nullopt,
            QStringLiteral("its desktop entry %1 cannot be found").arg(target.id)};
    return Workspace::shared().openFile(path, *application);
}

std::optional<RunningInstance> firstRunningInstance(const QString& applicationId)
{
    const QList<RunningApplication> running =
        Workspace::shared().runningApplications(applicationId);
    if (running.isEmpty())
        return std::nullopt;
    const RunningApplication& first = running.first();
    return RunningInstance {
        first.isActive(), first.isFinishedLaunching(), [first] { (void)first.activate(); }};
}

void visitDirectory(const QString& directory)
{
    QDirIterator entries(directory, QDir::AllEntries | QDir::Hidden | QDir::System);
    while (entries.hasNext())
        entries.next();
}

OpeningServices systemServices()
{
    OpeningServices services;
    services.networkVolumeForShare = [](const QString& share) {
        return KTMounter::defaultKTMounter().networkVolumeForShare(share);
    };
    services.mountNetworkVolume = [](const QString& share, const QString& mountMethod) {
        return KTMounter::defaultKTMounter().mountNetworkVolume(share, mountMethod);
    };
    services.dfsInstalled = [] { return KTPreferences::defaultKTPreferences().dfsInstalled(); };
    services.examineTarget = ProgramTarget::examinePresent;
    services.listDirectory = visitDirectory;
    services.sleepOneSecond = [] {
        std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::seconds(1));
    };
    services.applicationForContentType = defaultApplicationForContentType;
    services.openFileWithApplication = openWithDesktopApplication;
    services.firstRunningApplication = firstRunningInstance;
    return services;
}

}

OpeningServices& OpeningServices::shared()
{
    static OpeningServices services = systemServices();
    return services;
}
