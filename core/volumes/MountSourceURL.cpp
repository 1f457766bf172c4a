#include "volumes/MountSourceURL.h"

#include <QUrl>

namespace {

// The host of an authority (user@host:port): a decoded name, so a share with a space or
// letters beyond ASCII is read as it is, not as URL syntax.
std::optional<QString> hostOfAuthority(QStringView authority)
{
    authority = authority.sliced(authority.lastIndexOf(u'@') + 1);
    if (authority.startsWith(u'[')) {
        const qsizetype end = authority.indexOf(u']');
        return end < 0 ? std::nullopt : std::optional<QString>(authority.first(end + 1).toString());
    }
    const qsizetype port = authority.indexOf(u':');
    const QStringView host = port < 0 ? authority : authority.first(port);
    if (host.isEmpty())
        return std::nullopt;
    const QString name =
        QUrl(QStringLiteral("//") + host.toString(), QUrl::TolerantMode).host(QUrl::FullyDecoded);
    return name.isEmpty() ? std::nullopt : std::optional<QString>(name);
}

}

std::optional<MountSourceURL> MountSourceURL::parse(const QString& mountSource)
{
    if (mountSource.startsWith(QLatin1String("//")))
        return parseShare(QStringView(mountSource).sliced(2));
    const QUrl url(mountSource, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    MountSourceURL result;
    const QString host = url.host(QUrl::FullyDecoded);
    if (!host.isEmpty())
        result.m_host = host.contains(QLatin1Char(':')) ? u'[' + host + u']' : host;
    result.setPath(url.path(QUrl::FullyDecoded));
    return result;
}

// A network source (//user@server/share/dir, already decoded) is split at its slashes.
std::optional<MountSourceURL> MountSourceURL::parseShare(QStringView source)
{
    const qsizetype slash = source.indexOf(u'/');
    MountSourceURL result;
    result.m_host = hostOfAuthority(slash < 0 ? source : source.first(slash));
    if (!result.m_host)
        return std::nullopt;
    result.setPath(slash < 0 ? QString() : source.sliced(slash).toString());
    return result;
}

void MountSourceURL::setPath(const QString& path)
{
    m_pathComponents = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    m_sharePath = m_pathComponents.join(QLatin1Char('/'));
    if (m_host) {
        m_serverPrefix = QStringLiteral("//") + *m_host;
        if (!m_sharePath.isEmpty())
            m_serverPrefix += QLatin1Char('/') + m_sharePath;
    }
}

std::optional<QString> MountSourceURL::lastPathComponent() const
{
    if (m_pathComponents.isEmpty())
        return std::nullopt;
    return m_pathComponents.last();
}
