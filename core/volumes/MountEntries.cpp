#include "volumes/MountEntries.h"

#include "platform/MountInfo.h"

namespace MountEntries {
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

}

QList<MountEntry> parse(QByteArrayView mountInfo)
{
    QList<MountEntry> entries;
    for (const MountInfo::Line& line : MountInfo::parse(mountInfo)) {
        entries.append(MountEntry(QString::fromUtf8(line.fileSystemType),
            shareForm(line.fileSystemType, line.source), line.mountPoint));
    }
    return entries;
}

}
