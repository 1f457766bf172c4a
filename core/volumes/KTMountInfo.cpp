#include "volumes/KTMountInfo.h"

namespace KTMountInfo {
namespace {

// Fields before the optional ones: mount ID, parent ID, major:minor, root, mount point,
// mount options. After the "-" separator: file-system type, source, super options.
constexpr qsizetype mountPointField = 4;
constexpr qsizetype firstOptionalField = 6;

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

}

QByteArray unescapeField(QByteArrayView field)
{
    QByteArray name;
    name.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1])
            && isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            name.append(static_cast<char>(value & 0xff));
            i += 3;
        } else {
            name.append(field[i]);
        }
    }
    return name;
}

namespace {

// server:/path (or [v6address]:/path) becomes //server/path; anything else stays.
QByteArray nfsShareForm(const QByteArray& source)
{
    qsizetype colon = -1;
    if (source.startsWith('[')) {
        const qsizetype closing = source.indexOf(']');
        if (closing > 0 && source.size() > closing + 1 && source[closing + 1] == ':')
            colon = closing + 1;
    } else {
        colon = source.indexOf(':');
    }
    if (colon <= 0 || source.size() <= colon + 1 || source[colon + 1] != '/')
        return source;
    return "//" + source.left(colon) + source.mid(colon + 1);
}

QByteArray shareForm(const QByteArray& fileSystemType, const QByteArray& source)
{
    if (fileSystemType == "cifs" || fileSystemType == "smb3")
        return QByteArray(source).replace('\\', '/');
    if (fileSystemType == "nfs" || fileSystemType == "nfs4")
        return nfsShareForm(source);
    return source;
}

std::optional<KTMountEntry> parseLine(QByteArrayView line)
{
    const QList<QByteArray> fields = line.toByteArray().split(' ');
    qsizetype separator = -1;
    for (qsizetype i = firstOptionalField; i < fields.size(); ++i) {
        if (fields[i] == "-") {
            separator = i;
            break;
        }
    }
    if (separator < 0 || fields.size() < separator + 3)
        return std::nullopt;
    const QByteArray mountPoint = unescapeField(fields[mountPointField]);
    const QByteArray fileSystemType = unescapeField(fields[separator + 1]);
    const QByteArray source = unescapeField(fields[separator + 2]);
    if (!mountPoint.startsWith('/'))
        return std::nullopt;
    return KTMountEntry(
        QString::fromUtf8(fileSystemType), shareForm(fileSystemType, source), mountPoint);
}

}

QList<KTMountEntry> parse(QByteArrayView mountInfo)
{
    QList<KTMountEntry> entries;
    qsizetype start = 0;
    while (start < mountInfo.size()) {
        qsizetype end = mountInfo.indexOf('\n', start);
        if (end < 0)
            end = mountInfo.size();
        if (std::optional<KTMountEntry> entry = parseLine(mountInfo.sliced(start, end - start)))
            entries.append(std::move(*entry));
        start = end + 1;
    }
    return entries;
}

}
