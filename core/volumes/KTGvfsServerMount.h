#pragma once

#include "volumes/KTServerMount.h"

class KTCredentialPrompt;

// Mounts smb://, afp:// and nfs:// shares through GVfs (g_file_mount_enclosing_volume),
// blocking until GVfs has answered and the share can be read. The mount runs on a main
// context of its own, so that nothing else of the process is dispatched meanwhile;
// credentials are asked through the prompt. A mount the server has not answered within
// the limit is cancelled and fails.
class KTGvfsServerMount final : public KTServerMount {
public:
    explicit KTGvfsServerMount(
        KTCredentialPrompt& prompt, std::chrono::milliseconds limit = serverMountLimit);

    KTServerMountResult mountServerVolume(const QString& url) override;

private:
    KTCredentialPrompt& m_prompt;
    std::chrono::milliseconds m_limit;
};
