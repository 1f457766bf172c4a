#include "volumes/MountWindows.h"

MountWindows& MountWindows::installed()
{
    // Never destroyed, like the default mounter that reads it.
    static MountWindows* const windows = new MountWindows;
    return *windows;
}

StatusDisplay* MountWindows::currentStatusDisplay() const
{
    return statusDisplay ? statusDisplay() : nullptr;
}
