#pragma once

#include "volumes/ServerMount.h"

#include <memory>

class CredentialPrompt;
class GuestServers;

// Mounts a share the way its URL's scheme asks: "smb", "afp" and "nfs" through GVfs,
// "cifs" through the kernel's CIFS client. Schemes are compared without regard to case;
// any other scheme fails. The user's guest choices are kept in the user's state folder.
class PlatformServerMount final : public ServerMount {
public:
    explicit PlatformServerMount(CredentialPrompt& prompt);
    ~PlatformServerMount() override;

    ServerMountResult mountServerVolume(const QString& url) override;

private:
    std::unique_ptr<GuestServers> m_guests;
    std::unique_ptr<ServerMount> m_gvfs;
    std::unique_ptr<ServerMount> m_cifs;
};
