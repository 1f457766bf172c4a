#include "volumes/PlatformServerMount.h"

#include "platform/SystemLog.h"
#include "volumes/CifsServerMount.h"
#include "volumes/GuestServers.h"
#include "volumes/GvfsServerMount.h"

#include <QUrl>

PlatformServerMount::PlatformServerMount(CredentialPrompt& prompt)
    : m_guests(std::make_unique<GuestServers>(GuestServers::defaultFile()))
    , m_gvfs(std::make_unique<GvfsServerMount>(prompt, serverMountLimit, m_guests.get()))
    , m_cifs(std::make_unique<CifsServerMount>(prompt))
{
}

PlatformServerMount::~PlatformServerMount() = default;

ServerMountResult PlatformServerMount::mountServerVolume(const QString& url)
{
    const QString scheme = QUrl(url).scheme().toLower();
    if (scheme == QLatin1String("smb") || scheme == QLatin1String("afp")
        || scheme == QLatin1String("nfs"))
        return m_gvfs->mountServerVolume(url);
    if (scheme == QLatin1String("cifs"))
        return m_cifs->mountServerVolume(url);
    SystemLog::write(
        QStringLiteral("Mounter: cannot mount %1: only smb, afp, nfs and cifs shares").arg(url));
    return {};
}
