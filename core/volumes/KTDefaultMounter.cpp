#include "volumes/KTMounter.h"
#include "volumes/KTPlatformServerMount.h"
#include "volumes/KTProcessCredentialPrompt.h"
#include "volumes/KTSystemMountTable.h"

namespace {

KTStatusDisplay* processStatusDisplay()
{
    return nullptr;
}

}

KTMounter& KTMounter::defaultKTMounter()
{
    // Made once and never destroyed, like the process's other singletons: GIO's volume
    // monitor and the mounts outlive any order of static destruction.
    static KTSystemMountTable* const mountTable = new KTSystemMountTable;
    static KTProcessCredentialPrompt* const prompt = new KTProcessCredentialPrompt;
    static KTPlatformServerMount* const serverMount = new KTPlatformServerMount(*prompt);
    static KTMounter* const mounter =
        new KTMounter(*mountTable, *serverMount, processStatusDisplay);
    return *mounter;
}
