#pragma once

#include "workspace/DesktopApplication.h"
#include "workspace/RunningApplication.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class X11Session;

// The outcome of handing a file to an application.
struct [[nodiscard]] LaunchResult {
    bool succeeded = false;
    // The process started for it; none when the application was reached another way
    // (D-Bus activation of a DBusActivatable entry).
    std::optional<qint64> pid;
    QString errorMessage; // GIO's reason when it failed
    explicit operator bool() const { return succeeded; }
};

// The desktop's workspace: which application opens a file, opening a file with it, and
// the running instances of an application with their activation.
//
// Applications come from GIO and the freedesktop rules (content type of the name and
// first bytes, default application of mimeapps.list); running instances come from the
// X11 window manager through EWMH. Without an X server (no display, Wayland without
// XWayland) there are no running instances to see or activate.
class Workspace {
public:
    // The process-wide workspace, which remembers the processes it launched.
    static Workspace& shared();

    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    QString contentTypeForFile(const QString& path) const;
    // The application that opens the file: the default application of its content
    // type; none when the desktop has no application for it.
    std::optional<DesktopApplication> applicationForFile(const QString& path) const;

    // Starts application with the file (through GIO, as a child of this process, which
    // reaps it on the calling thread's event loop once it ends) and remembers the process
    // it started, so that runningApplications() sees it while it is still launching.
    // Fails with GIO's reason where GIO refuses the launch; a program that starts but
    // then cannot run (GIO execs it through its gio-launch-desktop helper) counts as
    // launched, and its process soon ends.
    LaunchResult openFile(const QString& path, const DesktopApplication& application);

    // The running instances of the application with this desktop-file ID: processes
    // launched here that are still alive (most recent first), then the instances whose
    // windows the window manager lists. Empty without an X server.
    QList<RunningApplication> runningApplications(const QString& desktopId);

    // The X server connection, opened on first need and again after it broke; null
    // when there is none.
    std::shared_ptr<X11Session> x11Session();

private:
    struct Launch {
        QString desktopId;
        qint64 pid = 0;
    };
    QList<qint64> liveLaunchedPids(const QString& desktopId);

    QList<Launch> m_launches; // oldest first
    std::shared_ptr<X11Session> m_session;
};
