#include "workspace/Workspace.h"

#include "platform/FileNames.h"
#include "platform/GLibPtr.h"
#include "workspace/ContentType.h"
#include "workspace/LaunchContext.h"
#include "workspace/ProcessTable.h"
#include "workspace/X11Session.h"

namespace {

// Launch records older than the most recent few are of no use for activation.
constexpr qsizetype kMaxLaunchRecords = 32;

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
    GList files {file.get(), nullptr, nullptr};
    GError* error = nullptr;
    const bool launched = g_app_info_launch(application.gAppInfo(), &files, context.get(), &error);
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
