#include "volumes/KTMounter.h"
#include "volumes/MountWindows.h"
#include "volumes/PlatformServerMount.h"
#include "volumes/ProcessCredentialPrompt.h"
#include "volumes/SystemMountTable.h"

KTMounter& KTMounter::defaultKTMounter()
{
    // Made once and never destroyed, like the process's other singletons, so that no
    // static destructor stops the mount table's thread or gives GIO objects back while
    // the process ends.
    static SystemMountTable* const mountTable = new SystemMountTable;
    static ProcessCredentialPrompt* const prompt =
        new ProcessCredentialPrompt(MountWindows::installed());
    static PlatformServerMount* const serverMount = new PlatformServerMount(*prompt);
    static KTMounter* const mounter = new KTMounter(
        *mountTable, *serverMount, [] { return MountWindows::installed().currentStatusDisplay(); });
    return *mounter;
}
