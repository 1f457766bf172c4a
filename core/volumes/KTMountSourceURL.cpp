#include "volumes/KTMountSourceURL.h"

#include <QUrl>

std::optional<KTMountSourceURL> KTMountSourceURL::parse(const QString& mountSource)
{
    const QUrl url(mountSource, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    KTMountSourceURL result;
    const QString host = url.host(QUrl::FullyDecoded);
    if (!host.isEmpty())
        result.m_host = host.contains(QLatin1Char(':')) ? u'[' + host + u']' : host;
    result.m_pathComponents =
        url.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    result.m_sharePath = result.m_pathComponents.join(QLatin1Char('/'));
    if (result.m_host) {
        result.m_serverPrefix = QStringLiteral("//") + *result.m_host;
        if (!result.m_sharePath.isEmpty())
            result.m_serverPrefix += QLatin1Char('/') + result.m_sharePath;
    }
    return result;
}

std::optional<QString> KTMountSourceURL::lastPathComponent() const
{
    if (m_pathComponents.isEmpty())
        return std::nullopt;
    return m_pathComponents.last();
}
