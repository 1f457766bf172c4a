#include "volumes/SystemMountTable.h"

#include "platform/MountInfo.h"
#include "volumes/GvfsMounts.h"

#include <fcntl.h>
#include <glib-unix.h>

#include <algorithm>
#include <chrono>

namespace {

constexpr auto awaitVolumeLimit = std::chrono::seconds(5);

bool holdsVolumeAt(const MountTable& table, const QString& mountPoint)
{
    const QList<MountEntry>& volumes = table.volumes();
    return std::any_of(volumes.begin(), volumes.end(),
        [&](const MountEntry& volume) { return volume.mountPoint() == mountPoint; });
}

}

SystemMountTable::SystemMountTable()
    : m_context(g_main_context_new())
    , m_loop(g_main_loop_new(m_context.get(), FALSE))
{
    // The first table is waited for where it is needed: GIO's volume monitor takes a
    // while to start, time a starting process spends on other things meanwhile.
    m_thread = std::thread([this] { watch(); });
}

SystemMountTable::~SystemMountTable()
{
    awaitFirstTable();
    g_main_loop_quit(m_loop.get());
    m_thread.join();
}

void SystemMountTable::awaitFirstTable()
{
    std::unique_lock lock(m_mutex);
    m_tablePublished.wait(lock, [this] { return m_latest != nullptr; });
}

std::shared_ptr<const MountTable> SystemMountTable::current()
{
    if (!m_current)
        awaitFirstTable();
    if (m_generation.load(std::memory_order_acquire) != m_currentGeneration) {
        const std::lock_guard lock(m_mutex);
        m_current = m_latest;
        m_currentGeneration = m_generation.load(std::memory_order_relaxed);
    }
    return m_current;
}

void SystemMountTable::awaitVolumeAt(const QString& mountPoint)
{
    std::unique_lock lock(m_mutex);
    m_tablePublished.wait_for(
        lock, awaitVolumeLimit, [&] { return m_latest && holdsVolumeAt(*m_latest, mountPoint); });
}

void SystemMountTable::publish(std::shared_ptr<const MountTable> table)
{
    {
        const std::lock_guard lock(m_mutex);
        m_latest = std::move(table);
        m_generation.fetch_add(1, std::memory_order_release);
    }
    m_tablePublished.notify_all();
}

// The monitor signals on the main context that was the thread's default when it was
// first made: this thread's, whose loop runs until the table is destroyed. The first
// table is read inside the loop, so that once it is there the loop runs and the
// destructor's g_main_loop_quit() can end it.
void SystemMountTable::watch()
{
    g_main_context_push_thread_default(m_context.get());
    watchKernelMounts();
    watchGvfsMounts();
    scheduleReading(this);
    g_main_loop_run(m_loop.get());
    stopWatching();
    g_main_context_pop_thread_default(m_context.get());
}

// The kernel reports every change of the mount namespace as POLLPRI | POLLERR on an open
// mountinfo file, once per change (proc(5)).
void SystemMountTable::watchKernelMounts()
{
    m_mountInfo.reset(::open(MountInfo::currentPath, O_RDONLY | O_CLOEXEC));
    if (!m_mountInfo.isOpen())
        return;
    m_mountInfoWatch.reset(
        g_unix_fd_source_new(m_mountInfo.get(), GIOCondition(G_IO_PRI | G_IO_ERR)));
    g_source_set_callback(m_mountInfoWatch.get(),
        reinterpret_cast<GSourceFunc>(reinterpret_cast<GCallback>(&mountInfoChanged)), this,
        nullptr);
    g_source_attach(m_mountInfoWatch.get(), m_context.get());
}

void SystemMountTable::watchGvfsMounts()
{
    m_monitor = GObjectRef<GVolumeMonitor>::adopt(g_volume_monitor_get());
    for (const char* signal : {"mount-added", "mount-removed", "mount-changed"})
        g_signal_connect_swapped(m_monitor.get(), signal, G_CALLBACK(scheduleReading), this);
}

void SystemMountTable::stopWatching()
{
    g_signal_handlers_disconnect_by_data(m_monitor.get(), this);
    m_monitor.reset();
    m_mountInfoWatch.reset();
    m_mountInfo.reset();
}

// A mount comes with several signals (mount and volume added, mount changed); the table
// is read once after them.
void SystemMountTable::scheduleReading(gpointer table)
{
    auto* self = static_cast<SystemMountTable*>(table);
    if (self->m_readingScheduled)
        return;
    self->m_readingScheduled = true;
    GSource* idle = g_idle_source_new();
    g_source_set_callback(idle, readTable, self, nullptr);
    g_source_attach(idle, self->m_context.get());
    g_source_unref(idle);
}

gboolean SystemMountTable::mountInfoChanged(gint, GIOCondition, gpointer table)
{
    scheduleReading(table);
    return G_SOURCE_CONTINUE;
}

gboolean SystemMountTable::readTable(gpointer table)
{
    auto* self = static_cast<SystemMountTable*>(table);
    self->m_readingScheduled = false;
    self->publish(std::make_shared<const MountTable>(MountTable::fromMountInfo(
        MountInfo::readCurrent(), GvfsMounts::entries(self->m_monitor.get()))));
    return G_SOURCE_REMOVE;
}
