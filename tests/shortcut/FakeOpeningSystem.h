#pragma once

#include "shortcut/OpeningServices.h"

#include <QHash>
#include <QStringList>

#include <memory>

// A system for opening shortcuts in unit tests: shares that are mounted or can be,
// files that exist at once or after some seconds, an application and its running
// instances. Seconds pass only when opening sleeps, and cost no time. Everything the
// opening does is noted in events, in order.
class FakeOpeningSystem {
public:
    struct Instance {
        bool isActive = false;
        bool isFinishedLaunching = false;
    };

    // Mount points of shares mounted already, and of shares a mount succeeds for.
    QHash<QString, QString> mounted;
    QHash<QString, QString> mountable;
    // A successful mount leaves the share's mount point unknown to later lookups.
    bool mountPointLostAfterMount = false;
    bool dfsInstalled = false;
    // Files that exist, with the number of seconds after which each appears.
    QHash<QString, int> files;
    std::optional<TargetApplication> application =
        TargetApplication {QStringLiteral("viewer.desktop"), QStringLiteral("Viewer")};
    LaunchResult launch {true, 4242, {}};
    // What each lookup of running instances finds; the last answer repeats.
    QList<std::optional<Instance>> instances;
    // The user's answer to the question before a program is opened; unset, nobody asks.
    std::function<bool(const QString&, const ProgramTargetVerdict&)> confirmProgramTarget;
    QStringList events;
    int sleeps = 0;
    int activations = 0;
    QStringList opened;

    std::shared_ptr<OpeningServices> services()
    {
        auto services = std::make_shared<OpeningServices>();
        services->networkVolumeForShare = [this](const QString& share) {
            events << QStringLiteral("lookup ") + share;
            return mounted.contains(share) ? std::optional(mounted.value(share)) : std::nullopt;
        };
        services->mountNetworkVolume = [this](const QString& share, const QString& method) {
            events << QStringLiteral("mount %1 %2").arg(share, method);
            if (!mountable.contains(share))
                return false;
            if (!mountPointLostAfterMount)
                mounted.insert(share, mountable.value(share));
            return true;
        };
        services->dfsInstalled = [this] { return dfsInstalled; };
        services->fileExists = [this](const QString& path) {
            events << QStringLiteral("exists ") + path;
            return files.contains(path) && files.value(path) <= sleeps;
        };
        services->listDirectory = [this](const QString& path) {
            events << QStringLiteral("list ") + path;
        };
        services->sleepOneSecond = [this] {
            events << QStringLiteral("sleep");
            ++sleeps;
        };
        services->applicationForContentType = [this](const QString&) { return application; };
        services->openFileWithApplication = [this](const QString& path,
                                                const TargetApplication& with) {
            events << QStringLiteral("open %1 with %2").arg(path, with.id);
            if (launch)
                opened << path;
            return launch;
        };
        services->firstRunningApplication = [this](const QString&) { return nextInstance(); };
        if (confirmProgramTarget) {
            services->confirmProgramTarget = [this](const QString& path,
                                                 const ProgramTargetVerdict& verdict) {
                events << QStringLiteral("confirm ") + path;
                return confirmProgramTarget(path, verdict);
            };
        }
        return services;
    }

private:
    std::optional<RunningInstance> nextInstance()
    {
        if (instances.isEmpty())
            return std::nullopt;
        const std::optional<Instance> state =
            m_lookups < instances.size() ? instances[m_lookups] : instances.last();
        ++m_lookups;
        if (!state)
            return std::nullopt;
        return RunningInstance {
            state->isActive, state->isFinishedLaunching, [this] { ++activations; }};
    }

    qsizetype m_lookups = 0;
};
