#pragma once

#include "volumes/ServerMount.h"

class CredentialPrompt;
class GuestServers;

// Mounts smb://, afp:// and nfs:// shares through GVfs (g_file_mount_enclosing_volume),
// blocking until GVfs has answered and the share can be read. The mount runs on a main
// context of its own, so that nothing else of the process is dispatched meanwhile;
// credentials are asked through the prompt. A mount the server has not answered within
// the limit is cancelled and fails. Guest choices are kept per server in guests, when
// given.
class GvfsServerMount final : public ServerMount {
public:
    explicit GvfsServerMount(CredentialPrompt& prompt,
        std::chrono::milliseconds limit = serverMountLimit, GuestServers* guests = nullptr);

    ServerMountResult mountServerVolume(const QString& url) override;

private:
    CredentialPrompt& m_prompt;
    std::chrono::milliseconds m_limit;
    GuestServers* m_guests;
};
