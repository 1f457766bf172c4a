#include "volumes/MountURL.h"

#include "status/StatusLine.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace {

// Windows refuses these in share names; "/" and "\" separate the components anyway.
const QString shareNameSyntax = QStringLiteral("\"/\\[]:|<>+=;,?*");
// A server is a NetBIOS or DNS name or an IP address: none holds these, and in a URL
// or a GMountSpec they would start a user name, a port, a password or another option.
const QString serverNameSyntax = shareNameSyntax + QStringLiteral(" @%#'");
// Further components (folders below the share, the path of an NFS export) may hold
// more, but not what mount.cifs reads as the end of its device or of an option.
const QString folderNameSyntax = QStringLiteral(",=\"\\");

QString describe(QChar character)
{
    const QString code =
        QStringLiteral("U+%1").arg(character.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    if (character.category() == QChar::Other_Control)
        return QStringLiteral("the control character ") + code;
    return QStringLiteral("\"%1\" (%2)").arg(character, code);
}

// The first character of the name that it may not hold, described for the log.
std::optional<QString> forbiddenCharacter(const QString& name, const QString& syntax)
{
    for (const QChar character : name) {
        if (character.category() == QChar::Other_Control || syntax.contains(character))
            return describe(character);
    }
    return std::nullopt;
}

bool isAddressLiteral(const QString& server)
{
    static const QRegularExpression ipv6(QStringLiteral("^\\[[0-9A-Fa-f:.]+\\]$"));
    return ipv6.match(server).hasMatch();
}

Failure refusal(const QString& share, const QString& what)
{
    return Failure {
        QStringLiteral("%1 cannot be mounted: %2").arg(StatusLine::printable(share), what)};
}

Result<QString> checkedServer(const QString& share, const QString& server)
{
    if (server.isEmpty())
        return refusal(share, QStringLiteral("it names no server"));
    if (isAddressLiteral(server))
        return server;
    if (const std::optional<QString> character = forbiddenCharacter(server, serverNameSyntax))
        return refusal(share, QStringLiteral("the server name holds ") + *character);
    // Kept as written when it is ASCII: the URL names the share as the shortcut does.
    const bool ascii = std::all_of(
        server.begin(), server.end(), [](QChar character) { return character.unicode() < 0x80; });
    const QString host = ascii ? server : QString::fromLatin1(QUrl::toAce(server));
    if (host.isEmpty())
        return refusal(share, QStringLiteral("the server name is no host name"));
    return host;
}

Result<QString> encodedPath(const QString& share, const QStringList& components)
{
    QString path;
    for (qsizetype i = 0; i < components.size(); ++i) {
        const QString& syntax = i == 0 ? shareNameSyntax : folderNameSyntax;
        if (const std::optional<QString> character = forbiddenCharacter(components[i], syntax)) {
            const QString name = i == 0 ? QStringLiteral("share") : QStringLiteral("folder");
            return refusal(share, QStringLiteral("the %1 name holds %2").arg(name, *character));
        }
        path += QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(components[i]));
    }
    return path;
}

}

namespace MountURL {

Result<QString> forShare(const QString& share, const QString& mountMethod)
{
    if (!share.startsWith(QLatin1String("//")) || !share.isValidUtf16())
        return refusal(share, QStringLiteral("it is no //server/share"));
    QStringList components = share.sliced(2).split(QLatin1Char('/'));
    const Result<QString> server = checkedServer(share, components.takeFirst());
    if (!server)
        return server.failure();
    const Result<QString> path = encodedPath(share, components);
    if (!path)
        return path.failure();
    const QString url = mountMethod + QStringLiteral("://") + *server + *path;
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || parsed.hasQuery() || parsed.hasFragment())
        return refusal(share, QStringLiteral("it makes no valid URL"));
    return url;
}

}
