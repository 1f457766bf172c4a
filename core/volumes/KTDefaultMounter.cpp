#include "volumes/KTMounter.h"
#include "volumes/MountWindows.h"
#include "volumes/PlatformServerMount.h"
#include "volumes/ProcessCredentialPrompt.h"
#include "volumes/SystemMountTable.h"

#include <cstdlib>

KTMounter& KTMounter::defaultKTMounter()
{
    // Made once and never destroyed, like the process's other singletons, so that no
    // static destructor stops the mount table's thread or gives GIO objects back while
    // the process ends.
    static SystemMountTable* const mountTable = [] {
        auto* table = new SystemMountTable;
        // The table starts reading at once, and the process may end before it asks.
        std::atexit([] { mountTable->awaitFirstTable(); });
        return table;
    }();
    static ProcessCredentialPrompt* const prompt =
        new ProcessCredentialPrompt(MountWindows::installed());
    static PlatformServerMount* const serverMount = new PlatformServerMount(*prompt);
    static KTMounter* const mounter = new KTMounter(
        *mountTable, *serverMount, [] { return MountWindows::installed().currentStatusDisplay(); });
    return *mounter;
}
