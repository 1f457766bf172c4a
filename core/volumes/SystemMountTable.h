#pragma once

#include "platform/FileDescriptor.h"
#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"
#include "volumes/MountTableSource.h"

#include <gio/gio.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// The mount table of this process: the kernel's mounts from /proc/self/mountinfo and
// GVfs's shares from GIO's volume monitor. It is read once and again only when one of
// them reports a change: the kernel through poll(2) on the mountinfo file, GIO through
// the monitor's signals.
//
// Both are watched on a thread of the table's own, which runs the main context the
// monitor signals on and reads the new table there. The main thread only picks up the
// latest table, so a lookup costs no system call and never waits for GIO; and the
// monitor's news arrive even while the main thread blocks in a mount.
class SystemMountTable final : public MountTableSource {
public:
    SystemMountTable();
    ~SystemMountTable() override;
    SystemMountTable(const SystemMountTable&) = delete;
    SystemMountTable& operator=(const SystemMountTable&) = delete;

    std::shared_ptr<const MountTable> current() override;
    void awaitVolumeAt(const QString& mountPoint) override;
    // Returns once the thread has read the first table, and so has GIO's monitor made: a
    // process must not end while GIO still loads its modules there.
    void awaitFirstTable();

private:
    // On the watching thread.
    void watch();
    void watchKernelMounts();
    void watchGvfsMounts();
    void stopWatching();
    static void scheduleReading(gpointer table);
    static gboolean mountInfoChanged(gint fd, GIOCondition condition, gpointer table);
    static gboolean readTable(gpointer table);
    void publish(std::shared_ptr<const MountTable> table);

    GMainContextPtr m_context;
    GMainLoopPtr m_loop;
    GObjectRef<GVolumeMonitor> m_monitor;
    FileDescriptor m_mountInfo;
    GSourcePtr m_mountInfoWatch;
    bool m_readingScheduled = false;

    std::mutex m_mutex;
    std::condition_variable m_tablePublished;
    std::shared_ptr<const MountTable> m_latest;
    std::atomic<quint64> m_generation = 0;

    // The main thread's copy of the latest table.
    std::shared_ptr<const MountTable> m_current;
    quint64 m_currentGeneration = 0;

    std::thread m_thread;
};
