#include "workspace/Workspace.h"

#include "platform/FileNames.h"
#include "platform/GLibPtr.h"
#include "workspace/ContentType.h"
#include "workspace/LaunchContext.h"
#include "workspace/ProcessTable.h"
#include "workspace/X11Session.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#include <gio/gdesktopappinfo.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Launch records older than the most recent few are of no use for activation.
constexpr qsizetype kMaxLaunchRecords = 32;

// Collects the exit of a program this process started as its own child, so that it
// leaves no zombie: once its pidfd reads as ready, on the application's event loop; the
// watch belongs to the application, so one still waiting when the process ends goes with
// it. Without a pidfd or an application on this thread, GLib's watch for SIGCHLD does it.
void reapWhenEnded(pid_t child)
{
    QCoreApplication* application = QCoreApplication::instance();
    const bool onApplicationThread =
        application && application->thread() == QThread::currentThread();
    const int descriptor = onApplicationThread ? int(::syscall(SYS_pidfd_open, child, 0)) : -1;
    if (descriptor < 0) {
        g_child_watch_add(
            child, [](GPid pid, gint, gpointer) { g_spawn_close_pid(pid); }, nullptr);
        return;
    }
    auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, application);
    QObject::connect(notifier, &QObject::destroyed, [descriptor] { ::close(descriptor); });
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, child] {
        ::waitpid(child, nullptr, WNOHANG);
        notifier->setEnabled(false);
        notifier->deleteLater();
    });
}

// GIO starts an application through an intermediate child that it waits for, so that
// the application is nobody's child; the second fork of this process and the wait for
// the first cost a launch some milliseconds. Started as this process's child, the
// application is reaped here instead.
bool launchAsChild(GAppInfo* application, GFile* file, GAppLaunchContext* context, GError** error)
{
    if (!G_IS_DESKTOP_APP_INFO(application)) {
        GList files {file, nullptr, nullptr};
        return g_app_info_launch(application, &files, context, error);
    }
    GCharPtr uri(g_file_get_uri(file));
    GList uris {uri.get(), nullptr, nullptr};
    pid_t child = 0;
    const auto noteChild = [](GDesktopAppInfo*, GPid pid, gpointer data) {
        *static_cast<pid_t*>(data) = pid;
    };
    const bool launched = g_desktop_app_info_launch_uris_as_manager(G_DESKTOP_APP_INFO(application),
        &uris, context, GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr,
        nullptr, noteChild, &child, error);
    if (child > 0)
        reapWhenEnded(child);
    return launched;
}

void onLaunched(GAppLaunchContext*, GAppInfo*, GVariant* platformData, gpointer userData)
{
    gint32 pid = 0;
    if (platformData && g_variant_lookup(platformData, "pid", "i", &pid) && pid > 0)
        *static_cast<std::optional<qint64>*>(userData) = qint64(pid);
}

}

Workspace& Workspace::shared()
{
    static Workspace workspace;
    return workspace;
}

Workspace::Workspace() = default;
Workspace::~Workspace() = default;

QString Workspace::contentTypeForFile(const QString& path) const
{
    return ContentType::forFile(path);
}

std::optional<DesktopApplication> Workspace::applicationForFile(const QString& path) const
{
    return DesktopApplication::defaultForContentType(contentTypeForFile(path));
}

std::shared_ptr<X11Session> Workspace::x11Session()
{
    if (!m_session || !m_session->isUsable())
        m_session = X11Session::open();
    return m_session;
}

LaunchResult Workspace::openFile(const QString& path, const DesktopApplication& application)
{
    const std::shared_ptr<X11Session> session = x11Session();
    GObjectRef<GAppLaunchContext> context = session
        ? LaunchContext::create(session->displayName(), session->serverTime())
        : LaunchContext::create({}, 0);
    std::optional<qint64> pid;
    const gulong handler = g_signal_connect_data(context.get(), "launched",
        reinterpret_cast<GCallback>(onLaunched), &pid, nullptr, GConnectFlags(0));

    auto file = GObjectRef<GFile>::adopt(g_file_new_for_path(FileNames::encode(path).constData()));
    GError* error = nullptr;
    const bool launched = launchAsChild(application.gAppInfo(), file.get(), context.get(), &error);
    g_signal_handler_disconnect(context.get(), handler);

    if (!launched) {
        GErrorPtr owned(error);
        return {false, std::nullopt,
            owned ? QString::fromUtf8(owned->message)
                  : QStringLiteral("the application did not start")};
    }
    if (pid) {
        m_launches.append({application.id(), *pid});
        if (m_launches.size() > kMaxLaunchRecords)
            m_launches.removeFirst();
    }
    return {true, pid, {}};
}

QList<qint64> Workspace::liveLaunchedPids(const QString& desktopId)
{
    m_launches.removeIf([](const Launch& launch) { return !ProcessTable::isAlive(launch.pid); });
    QList<qint64> pids;
    for (auto launch = m_launches.crbegin(); launch != m_launches.crend(); ++launch) {
        if (launch->desktopId == desktopId)
            pids << launch->pid;
    }
    return pids;
}

QList<RunningApplication> Workspace::runningApplications(const QString& desktopId)
{
    const std::shared_ptr<X11Session> session = x11Session();
    if (!session)
        return {};
    const std::optional<DesktopApplication> application = DesktopApplication::fromId(desktopId);
    const QStringList classNames = application ? application->windowClassNames() : QStringList();
    const QList<ApplicationInstance> instances = ApplicationWindows::instancesOf(
        session->clientWindows(), classNames, liveLaunchedPids(desktopId));
    const std::optional<quint32> active = session->activeWindow();
    QList<RunningApplication> running;
    for (const ApplicationInstance& instance : instances)
        running.append(RunningApplication(session, instance, active));
    return running;
}
