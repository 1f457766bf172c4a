#pragma once

#include "volumes/KTServerMount.h"

#include <memory>

class KTCredentialPrompt;

// Mounts a share the way its URL's scheme asks: "smb", "afp" and "nfs" through GVfs,
// "cifs" through the kernel's CIFS client. Schemes are compared without regard to case;
// any other scheme fails.
class KTPlatformServerMount final : public KTServerMount {
public:
    explicit KTPlatformServerMount(KTCredentialPrompt& prompt);
    ~KTPlatformServerMount() override;

    KTServerMountResult mountServerVolume(const QString& url) override;

private:
    std::unique_ptr<KTServerMount> m_gvfs;
    std::unique_ptr<KTServerMount> m_cifs;
};
