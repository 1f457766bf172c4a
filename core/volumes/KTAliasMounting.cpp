#include "volumes/KTAliasMounting.h"

#include "filesvc/JLAliasMounting.h"
#include "volumes/KTCredentialPrompt.h"
#include "volumes/KTMounter.h"
#include "volumes/KTPlatformServerMount.h"
#include "volumes/KTSystemMountTable.h"

namespace {

class GuestOnlyPrompt final : public KTCredentialPrompt {
public:
    std::optional<KTCredentials> askPassword(const KTCredentialRequest& request) override
    {
        if (!request.anonymousAllowed || request.attempt > 1)
            return std::nullopt;
        return KTCredentials {true, {}, {}, {}};
    }
};

KTMounter& mounterWithoutQuestions()
{
    static KTSystemMountTable* const mountTable = new KTSystemMountTable;
    static GuestOnlyPrompt* const prompt = new GuestOnlyPrompt;
    static KTPlatformServerMount* const serverMount = new KTPlatformServerMount(*prompt);
    static KTMounter* const mounter = new KTMounter(
        *mountTable, *serverMount, [] { return static_cast<KTStatusDisplay*>(nullptr); });
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

namespace KTAliasMounting {

void install()
{
    JLAliasMounting::shared().mountShare = mountShare;
}

}
