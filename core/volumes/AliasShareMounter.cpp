#include "volumes/AliasShareMounter.h"

#include "filesvc/AliasMounting.h"
#include "volumes/CredentialPrompt.h"
#include "volumes/KTMounter.h"
#include "volumes/PlatformServerMount.h"
#include "volumes/ProcessCredentialPrompt.h"
#include "volumes/SystemMountTable.h"

namespace {

class GuestOnlyPrompt final : public CredentialPrompt {
public:
    std::optional<Credentials> askPassword(const CredentialRequest& request) override
    {
        return anonymousCredentials(request);
    }
};

KTMounter& mounterWithoutQuestions()
{
    static SystemMountTable* const mountTable = new SystemMountTable;
    static GuestOnlyPrompt* const prompt = new GuestOnlyPrompt;
    static PlatformServerMount* const serverMount = new PlatformServerMount(*prompt);
    static KTMounter* const mounter = new KTMounter(
        *mountTable, *serverMount, [] { return static_cast<StatusDisplay*>(nullptr); });
    return *mounter;
}

std::optional<QString> mountShare(
    const QString& share, const QString& mountMethod, bool allowUserInteraction)
{
    KTMounter& mounter =
        allowUserInteraction ? KTMounter::defaultKTMounter() : mounterWithoutQuestions();
    if (std::optional<QString> mountPoint = mounter.networkVolumeForShare(share))
        return mountPoint;
    if (!mounter.mountNetworkVolume(share, mountMethod))
        return std::nullopt;
    return mounter.networkVolumeForShare(share);
}

}

namespace AliasShareMounter {

void install()
{
    AliasMounting::shared().mountShare = mountShare;
}

}
