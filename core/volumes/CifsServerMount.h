#pragma once

#include "volumes/ServerMount.h"

#include <QByteArrayView>
#include <QString>

class CredentialPrompt;

// Mounts cifs://server/share with the kernel's CIFS client. Root mounts the share below
// a folder of Kestrova's own with mount.cifs; any other user can mount only a share that
// /etc/fstab lists with the "user" or "users" option, through mount(8). A failed mount
// leaves no folder behind that it made; a mount program that has not finished within the
// limit is killed and the mount fails.
class CifsServerMount final : public ServerMount {
public:
    explicit CifsServerMount(CredentialPrompt& prompt,
        QString mountRoot = QStringLiteral("/run/kestrova/cifs"),
        QString fstabPath = QStringLiteral("/etc/fstab"),
        std::chrono::milliseconds limit = serverMountLimit);

    ServerMountResult mountServerVolume(const QString& url) override;

    // The mount point of the fstab line that lets users mount //server/share with cifs
    // (server and share compared without regard to case), or none.
    static std::optional<QString> userMountPointInFstab(QByteArrayView fstab, const QString& share);

private:
    ServerMountResult mountAsRoot(const QString& share, const QString& mountPoint);
    ServerMountResult mountFromFstab(const QString& share);

    CredentialPrompt& m_prompt;
    QString m_mountRoot;
    QString m_fstabPath;
    std::chrono::milliseconds m_limit;
};
