#pragma once

#include "volumes/MountTable.h"

#include <QString>

#include <memory>

// Where the mounter gets the mount table from: the system's (SystemMountTable) or, in
// tests, one they set up themselves.
class MountTableSource {
public:
    virtual ~MountTableSource() = default;

    // The table as it stands now. A table once given never changes; a change of the
    // mounts makes a new one.
    virtual std::shared_ptr<const MountTable> current() = 0;

    // A mount that has just been made can reach the table's sources a moment after the
    // mount call returned. Returns once the table holds a volume mounted at mountPoint,
    // or after a few seconds without one.
    virtual void awaitVolumeAt(const QString& mountPoint) = 0;
};
