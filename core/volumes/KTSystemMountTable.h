#pragma once

#include "volumes/GioPtr.h"
#include "volumes/KTMountTableSource.h"

#include <gio/gio.h>

// The mount table of this process: the kernel's mounts from /proc/self/mountinfo and
// GVfs's shares from GIO's volume monitor. It is read once and kept until one of them
// reports a change: the kernel through poll(2) on the mountinfo file, GIO through the
// monitor's signals. Both arrive on a main context of the table's own, which current()
// turns without blocking, so a lookup never waits and never reads a file unless a
// change was reported.
class KTSystemMountTable final : public KTMountTableSource {
public:
    KTSystemMountTable();
    ~KTSystemMountTable() override;
    KTSystemMountTable(const KTSystemMountTable&) = delete;
    KTSystemMountTable& operator=(const KTSystemMountTable&) = delete;

    const KTMountTable& current() override;
    void awaitVolumeAt(const QString& mountPoint) override;

private:
    static void markStale(gpointer table);
    static gboolean mountInfoChanged(gint fd, GIOCondition condition, gpointer table);
    void watchKernelMounts();
    void watchGvfsMounts();
    void dispatchReportedChanges();
    bool holdsVolumeAt(const QString& mountPoint);

    GMainContextPtr m_context;
    GObjectPtr<GVolumeMonitor> m_monitor;
    int m_mountInfo = -1;
    GSource* m_mountInfoWatch = nullptr;
    bool m_stale = true;
    KTMountTable m_table;
};
