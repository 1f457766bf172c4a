#pragma once

#include "volumes/KTMountTable.h"

#include <QString>

// Where the mounter gets the mount table from: the system's (KTSystemMountTable) or, in
// tests, one they set up themselves.
class KTMountTableSource {
public:
    virtual ~KTMountTableSource() = default;

    // The table as it stands now. It is read again only when the system has reported a
    // change since the last read.
    virtual const KTMountTable& current() = 0;

    // A mount that has just been made can reach the table's sources a moment after the
    // mount call returned. Returns once the table holds a volume mounted at mountPoint,
    // or after a few seconds without one.
    virtual void awaitVolumeAt(const QString& mountPoint) = 0;
};
