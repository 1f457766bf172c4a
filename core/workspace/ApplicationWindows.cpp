#include "workspace/ApplicationWindows.h"

namespace ApplicationWindows {
namespace {

ApplicationInstance* launchedOwner(QList<ApplicationInstance>& launched, qint64 pid,
    const ProcessTable::ParentLookup& lookupParent)
{
    for (ApplicationInstance& instance : launched) {
        if (ProcessTable::isSelfOrDescendantOf(pid, *instance.pid, lookupParent))
            return &instance;
    }
    return nullptr;
}

ApplicationInstance& instanceOfProcess(
    QList<ApplicationInstance>& others, std::optional<qint64> pid)
{
    if (pid) {
        for (ApplicationInstance& instance : others) {
            if (instance.pid == pid)
                return instance;
        }
    }
    others.append(ApplicationInstance {pid, {}, false});
    return others.last();
}

}

bool classMatches(const WindowFacts& window, const QStringList& classNames)
{
    const QString instanceName = QString::fromUtf8(window.instanceName);
    const QString className = QString::fromUtf8(window.className);
    for (const QString& name : classNames) {
        if (name.isEmpty())
            continue;
        if (name.compare(instanceName, Qt::CaseInsensitive) == 0
            || name.compare(className, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QList<ApplicationInstance> instancesOf(const QList<WindowFacts>& windows,
    const QStringList& classNames, const QList<qint64>& launchedPids,
    const ProcessTable::ParentLookup& lookupParent)
{
    QList<ApplicationInstance> launched;
    for (qint64 pid : launchedPids)
        launched.append(ApplicationInstance {pid, {}, true});
    QList<ApplicationInstance> others;
    for (const WindowFacts& window : windows) {
        if (window.pid) {
            if (ApplicationInstance* owner = launchedOwner(launched, *window.pid, lookupParent)) {
                owner->windows << window.window;
                continue;
            }
        }
        if (classMatches(window, classNames))
            instanceOfProcess(others, window.pid).windows << window.window;
    }
    return launched + others;
}

}
