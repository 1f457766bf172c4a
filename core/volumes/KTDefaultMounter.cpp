#include "volumes/KTMounter.h"
#include "volumes/KTPlatformServerMount.h"
#include "volumes/KTProcessCredentialPrompt.h"
#include "volumes/KTSystemMountTable.h"
#include "volumes/MountWindows.h"

KTMounter& KTMounter::defaultKTMounter()
{
    // Made once and never destroyed, like the process's other singletons, so that no
    // static destructor stops the mount table's thread or gives GIO objects back while
    // the process ends.
    static KTSystemMountTable* const mountTable = new KTSystemMountTable;
    static KTProcessCredentialPrompt* const prompt =
        new KTProcessCredentialPrompt(MountWindows::installed());
    static KTPlatformServerMount* const serverMount = new KTPlatformServerMount(*prompt);
    static KTMounter* const mounter = new KTMounter(
        *mountTable, *serverMount, [] { return MountWindows::installed().currentStatusDisplay(); });
    return *mounter;
}
