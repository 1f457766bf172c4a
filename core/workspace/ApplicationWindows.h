#pragma once

#include "workspace/ProcessTable.h"
#include "workspace/X11Session.h"

#include <QList>
#include <QStringList>

#include <optional>

// The windows of one running instance of an application: a process and the managed
// top-level windows it shows.
struct ApplicationInstance {
    std::optional<qint64> pid; // none for windows whose client does not say
    QList<quint32> windows; // oldest first
    bool launchedHere = false; // a process this process launched
};

// Which windows of the window manager's list belong to an application.
namespace ApplicationWindows {

// Whether the window's WM_CLASS (instance or class name) is one of classNames, ignoring
// case as window managers and docks do.
bool classMatches(const WindowFacts& window, const QStringList& classNames);

// The running instances of an application, from the managed windows (oldest first),
// the WM_CLASS names of the application, and the live processes this process launched
// for it (most recent first).
//
// A launched process is an instance even before it shows a window (it is still
// launching), and owns every window whose process is it or one of its descendants, so
// that a wrapper script and the program it starts count as one. Other windows belong
// to the application by WM_CLASS and are grouped by process. Launched instances come
// first, most recent first, then the others in the order their first window appeared.
QList<ApplicationInstance> instancesOf(const QList<WindowFacts>& windows,
    const QStringList& classNames, const QList<qint64>& launchedPids,
    const ProcessTable::ParentLookup& lookupParent = ProcessTable::parentOf);

}
