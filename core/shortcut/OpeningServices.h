#pragma once

#include "workspace/ProgramTarget.h"
#include "workspace/Workspace.h"

#include <QString>

#include <functional>
#include <optional>

// The application a target opens with, as the workspace named it.
struct TargetApplication {
    QString id; // the desktop-file ID, which also names its running instances
    QString name;
};

// The first running instance of an application at the moment it was looked up.
struct RunningInstance {
    bool isActive = false;
    bool isFinishedLaunching = false;
    // Asks the window manager to bring the instance to the front.
    std::function<void()> activate;
};

// What opening a shortcut's target needs of the system: the mounter, the DFS setting,
// the file system, a one-second pause, the workspace, and the user's word before a
// program is opened. shared() is the process's set, over the real singletons; a test
// builds a set of its own and hands it to a shortcut (HVWindowsShortcut::setOpeningServices),
// so that it needs neither real mounts nor real seconds. Every member but
// confirmProgramTarget must be set. Main thread only.
struct OpeningServices {
    // The process's set. Its members may be replaced; the application sets
    // confirmProgramTarget once it can ask the user.
    static OpeningServices& shared();

    std::function<std::optional<QString>(const QString& share)> networkVolumeForShare;
    std::function<bool(const QString& share, const QString& mountMethod)> mountNetworkVolume;
    // Read each time it is needed, so that a change of the setting applies at once.
    std::function<bool()> dfsInstalled;

    // The program check of the item at path (ProgramTarget::examinePresent); none when
    // nothing is there. The look that finds the target is the one that examines it: on a
    // share each look is a round trip to the server.
    std::function<std::optional<ProgramTargetVerdict>(const QString& path)> examineTarget;
    // Lists a directory and throws the listing away: the visit alone makes a network
    // file system resolve the directory's referrals.
    std::function<void(const QString& directory)> listDirectory;
    // Blocks the calling thread until one second from now.
    std::function<void()> sleepOneSecond;

    // The desktop's default application for a content type (as the program check found
    // it for the file: the file is not read twice); none when the desktop has none.
    std::function<std::optional<TargetApplication>(const QString& contentType)>
        applicationForContentType;
    std::function<LaunchResult(const QString& path, const TargetApplication& application)>
        openFileWithApplication;
    // None when no instance of the application runs.
    std::function<std::optional<RunningInstance>(const QString& applicationId)>
        firstRunningApplication;

    // Whether a target that is a program may be opened all the same: the application
    // asks the user, with Cancel as the default, and refuses where it cannot ask. Unset,
    // as it is until someone sets it, every program target is refused.
    std::function<bool(const QString& path, const ProgramTargetVerdict& verdict)>
        confirmProgramTarget;
};
