#include "link/Pasteboard.h"

#include "link/HtmlLinkReader.h"
#include "platform/FileNames.h"
#include "platform/LocationUri.h"
#include "platform/SystemLog.h"
#include "text/RtfHyperlinkReader.h"

#include <QMimeData>

namespace {

const QString htmlType = QStringLiteral("text/html");
const QStringList rtfTypes = {QStringLiteral("text/rtf"), QStringLiteral("application/rtf")};
const QStringList plainTextTypes = {
    QStringLiteral("text/plain"), QStringLiteral("text/plain;charset=utf-8")};
const QString uriListType = QStringLiteral("text/uri-list");

std::optional<QString> firstFormat(const QMimeData& pasteboard, const QStringList& types)
{
    for (const QString& type : types) {
        if (pasteboard.hasFormat(type))
            return type;
    }
    return std::nullopt;
}

// An empty rich text gives its (empty) characters; otherwise its first link, or its
// characters when it has none.
QString chooseFromRichText(const RichTextContent& content)
{
    if (!content.plainText.isEmpty() && content.firstLink) {
        SystemLog::write(QStringLiteral("Link ") + *content.firstLink);
        return *content.firstLink;
    }
    SystemLog::write(QStringLiteral("Attributed String ") + content.plainText);
    return content.plainText;
}

Pasteboard::LinkText htmlText(const QMimeData& pasteboard)
{
    const QString html = pasteboard.html();
    SystemLog::write(QStringLiteral("HTML: ") + html);
    return {true, chooseFromRichText(HtmlLinkReader::read(html))};
}

Pasteboard::LinkText rtfText(const QMimeData& pasteboard, const QString& type)
{
    const QByteArray rtf = pasteboard.data(type);
    SystemLog::write(QStringLiteral("RTF: ") + QString::fromLatin1(rtf));
    const std::optional<RichTextContent> content = RtfHyperlinkReader::read(rtf);
    if (!content) {
        SystemLog::write(QStringLiteral("Attributed String (none)"));
        return {true, std::nullopt};
    }
    return {true, chooseFromRichText(*content)};
}

Pasteboard::LinkText plainText(const QMimeData& pasteboard, const QString& type)
{
    // QMimeData::text() would offer the URIs of a file list as text when there is no
    // text/plain; only text/plain itself counts here.
    const QString text = QString::fromUtf8(pasteboard.data(type));
    SystemLog::write(QStringLiteral("String: ") + text);
    return {true, text};
}

// The URIs of a text/uri-list; lines starting with "#" are comments (RFC 2483).
QStringList listedURIs(const QByteArray& list)
{
    QStringList uris;
    for (const QByteArray& line : list.split('\n')) {
        const QByteArray uri = line.trimmed();
        if (!uri.isEmpty() && !uri.startsWith('#'))
            uris << FileNames::decode(uri);
    }
    return uris;
}

}

namespace Pasteboard {

LinkText linkText(const QMimeData& pasteboard)
{
    if (pasteboard.hasFormat(htmlType))
        return htmlText(pasteboard);
    if (const std::optional<QString> type = firstFormat(pasteboard, rtfTypes))
        return rtfText(pasteboard, *type);
    if (const std::optional<QString> type = firstFormat(pasteboard, plainTextTypes))
        return plainText(pasteboard, *type);
    return {};
}

std::optional<QStringList> fileNames(const QMimeData& pasteboard)
{
    if (!pasteboard.hasFormat(uriListType))
        return std::nullopt;
    const QStringList uris = listedURIs(pasteboard.data(uriListType));
    QStringList paths;
    for (const QString& uri : uris) {
        if (const Result<QString> location = LocationUri::toLocation(uri))
            paths << *location;
    }
    if (paths.isEmpty() && !uris.isEmpty())
        return std::nullopt;
    return paths;
}

}
