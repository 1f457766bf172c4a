#include "volumes/KTSystemMountTable.h"

#include "volumes/KTGvfsMounts.h"

#include <QFile>

#include <fcntl.h>
#include <glib-unix.h>
#include <unistd.h>

namespace {

const char* const mountInfoPath = "/proc/self/mountinfo";
constexpr guint awaitVolumeLimitMs = 5000;

QByteArray readMountInfo()
{
    QFile file(QString::fromLatin1(mountInfoPath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

gboolean setFlag(gpointer flag)
{
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
}

}

KTSystemMountTable::KTSystemMountTable()
    : m_context(g_main_context_new())
{
    watchKernelMounts();
    watchGvfsMounts();
}

KTSystemMountTable::~KTSystemMountTable()
{
    if (m_monitor)
        g_signal_handlers_disconnect_by_data(m_monitor.get(), this);
    if (m_mountInfoWatch) {
        g_source_destroy(m_mountInfoWatch);
        g_source_unref(m_mountInfoWatch);
    }
    if (m_mountInfo >= 0)
        ::close(m_mountInfo);
}

void KTSystemMountTable::markStale(gpointer table)
{
    static_cast<KTSystemMountTable*>(table)->m_stale = true;
}

gboolean KTSystemMountTable::mountInfoChanged(gint, GIOCondition, gpointer table)
{
    markStale(table);
    return G_SOURCE_CONTINUE;
}

// The kernel reports every change of the mount namespace as POLLPRI | POLLERR on an open
// mountinfo file, once per change (proc(5)).
void KTSystemMountTable::watchKernelMounts()
{
    m_mountInfo = ::open(mountInfoPath, O_RDONLY | O_CLOEXEC);
    if (m_mountInfo < 0)
        return;
    m_mountInfoWatch = g_unix_fd_source_new(m_mountInfo, GIOCondition(G_IO_PRI | G_IO_ERR));
    g_source_set_callback(m_mountInfoWatch,
        reinterpret_cast<GSourceFunc>(reinterpret_cast<GCallback>(&mountInfoChanged)), this,
        nullptr);
    g_source_attach(m_mountInfoWatch, m_context.get());
}

// The monitor delivers its signals on the main context that was the thread's default
// when it was first made; ours, so that turning it dispatches nothing but mount news.
void KTSystemMountTable::watchGvfsMounts()
{
    g_main_context_push_thread_default(m_context.get());
    m_monitor.reset(g_volume_monitor_get());
    g_main_context_pop_thread_default(m_context.get());
    for (const char* signal : {"mount-added", "mount-removed", "mount-changed"})
        g_signal_connect_swapped(m_monitor.get(), signal, G_CALLBACK(markStale), this);
}

void KTSystemMountTable::dispatchReportedChanges()
{
    while (g_main_context_iteration(m_context.get(), FALSE)) { }
}

const KTMountTable& KTSystemMountTable::current()
{
    dispatchReportedChanges();
    if (m_stale) {
        m_stale = false;
        m_table =
            KTMountTable::fromMountInfo(readMountInfo(), KTGvfsMounts::entries(m_monitor.get()));
    }
    return m_table;
}

bool KTSystemMountTable::holdsVolumeAt(const QString& mountPoint)
{
    const QList<KTMountEntry>& volumes = current().volumes();
    return std::any_of(volumes.begin(), volumes.end(),
        [&](const KTMountEntry& volume) { return volume.mountPoint() == mountPoint; });
}

void KTSystemMountTable::awaitVolumeAt(const QString& mountPoint)
{
    bool timedOut = false;
    GSource* timer = g_timeout_source_new(awaitVolumeLimitMs);
    g_source_set_callback(timer, setFlag, &timedOut, nullptr);
    g_source_attach(timer, m_context.get());
    while (!holdsVolumeAt(mountPoint) && !timedOut)
        g_main_context_iteration(m_context.get(), TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
}
