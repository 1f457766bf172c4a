#pragma once

#include "workspace/ApplicationWindows.h"

#include <QList>

#include <memory>
#include <optional>

class X11Session;

// One running instance of an application as the window manager saw it when the list
// was taken (Workspace::runningApplications); take a new list to see changes.
class RunningApplication {
public:
    RunningApplication(std::shared_ptr<X11Session> session, ApplicationInstance instance,
        std::optional<quint32> activeWindow);

    std::optional<qint64> pid() const { return m_instance.pid; }
    QList<quint32> windows() const { return m_instance.windows; }

    // One of its windows is the window manager's active window.
    bool isActive() const;
    // It shows a managed top-level window. An instance that was launched here and has
    // no window yet is running but still launching.
    bool isFinishedLaunching() const { return !m_instance.windows.isEmpty(); }

    // Asks the window manager to bring its newest window to the front and focus it.
    // False when it has no window yet or the request could not be sent; the window
    // manager acts on it asynchronously, so isActive() of a later list tells the effect.
    bool activate() const;

private:
    std::shared_ptr<X11Session> m_session;
    ApplicationInstance m_instance;
    std::optional<quint32> m_activeWindow;
};
