#include "platform/LocationUri.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QRegularExpression>

namespace LocationUri {

namespace {

const QLatin1String fileScheme("file:");
const QLatin1String smbScheme("smb:");
const QLatin1String serverPrefix("//");

QString percentDecoded(const QString& text)
{
    return FileNames::decode(QByteArray::fromPercentEncoding(FileNames::encode(text)));
}

// The authority (what stands between "//" and the next "/") and the path after it.
struct UriParts {
    QString authority;
    QString path;
};

UriParts split(const QString& afterScheme)
{
    if (!afterScheme.startsWith(serverPrefix))
        return {QString(), afterScheme};
    const qsizetype pathStart = afterScheme.indexOf(QLatin1Char('/'), serverPrefix.size());
    if (pathStart < 0)
        return {afterScheme.mid(serverPrefix.size()), QString()};
    return {afterScheme.mid(serverPrefix.size(), pathStart - serverPrefix.size()),
        afterScheme.mid(pathStart)};
}

// The server of an authority: without "user@" (or "domain;user@") and ":port".
QString serverOf(const QString& authority)
{
    QString host = authority.mid(authority.lastIndexOf(QLatin1Char('@')) + 1);
    const qsizetype portColon = host.lastIndexOf(QLatin1Char(':'));
    if (portColon >= 0 && !host.mid(portColon).contains(QLatin1Char(']')))
        host.truncate(portColon);
    return percentDecoded(host);
}

Result<QString> fileLocation(const UriParts& parts, const QString& uri)
{
    const QString host = percentDecoded(parts.authority);
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return Failure {
            QStringLiteral("a file: URI of the computer %1 names no file here").arg(host)};
    if (!parts.path.startsWith(QLatin1Char('/')))
        return Failure {QStringLiteral("%1 names no file (file:///folder/file)").arg(uri)};
    return QDir::cleanPath(percentDecoded(parts.path));
}

Result<QString> smbLocation(const UriParts& parts)
{
    const QString server = serverOf(parts.authority);
    if (server.isEmpty())
        return Failure {QStringLiteral("an smb: URI names a server (smb://server/share/path)")};
    QString path = percentDecoded(parts.path);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return serverPrefix + server + path;
}

}

bool isUri(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(text).hasMatch();
}

bool hasKnownScheme(const QString& text)
{
    return text.startsWith(fileScheme, Qt::CaseInsensitive)
        || text.startsWith(smbScheme, Qt::CaseInsensitive);
}

Result<QString> toLocation(const QString& uri)
{
    if (uri.startsWith(fileScheme, Qt::CaseInsensitive))
        return fileLocation(split(uri.mid(fileScheme.size())), uri);
    if (uri.startsWith(smbScheme, Qt::CaseInsensitive))
        return smbLocation(split(uri.mid(smbScheme.size())));
    const qsizetype colon = uri.indexOf(QLatin1Char(':'));
    return Failure {
        QStringLiteral("%1 URIs name no file here (give a file, a file: URI or an smb: URI)")
            .arg(colon > 0 ? uri.left(colon + 1) : uri)};
}

bool isServerPath(const QString& location)
{
    return location.startsWith(serverPrefix);
}

QString smbUri(const QString& serverPath)
{
    return smbScheme + QString::fromLatin1(FileNames::encode(serverPath).toPercentEncoding("/"));
}

}
