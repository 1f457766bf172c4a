#include "filesvc/FinderInformation.h"

#include "filesvc/AppleDoubleSidecar.h"
#include "filesvc/BigEndianReader.h"
#include "filesvc/FSRef.h"

#include <QtEndian>

FinderInformation FinderInformation::fromEntry(const QByteArray& entry)
{
    const BigEndianReader bytes(entry);
    FinderInformation info;
    info.type = bytes.uint32At(0).value_or(0);
    info.creator = bytes.uint32At(4).value_or(0);
    info.flags = bytes.uint16At(8).value_or(0);
    info.vertical = qint16(bytes.uint16At(10).value_or(0));
    info.horizontal = qint16(bytes.uint16At(12).value_or(0));
    return info;
}

void FinderInformation::storeInto(QByteArray& entry) const
{
    Q_ASSERT(entry.size() >= 14);
    qToBigEndian(type, entry.data());
    qToBigEndian(creator, entry.data() + 4);
    qToBigEndian(flags, entry.data() + 8);
    qToBigEndian(vertical, entry.data() + 10);
    qToBigEndian(horizontal, entry.data() + 12);
}

Result<FinderInformation> FinderInformation::read(const QString& path)
{
    if (!FSRef::fromPath(path))
        return Failure {path + QStringLiteral(": no such file or folder")};
    Result<std::optional<AppleDoubleFile>> sidecar = AppleDoubleSidecar::read(path);
    if (!sidecar)
        return sidecar.failure();
    if (!*sidecar)
        return FinderInformation();
    return fromEntry((*sidecar)->finderInfo);
}

Result<void> FinderInformation::update(
    const QString& path, const std::function<void(FinderInformation&)>& change)
{
    if (!FSRef::fromPath(path))
        return Failure {path + QStringLiteral(": no such file or folder")};
    return AppleDoubleSidecar::update(path, [&](AppleDoubleFile& contents) {
        FinderInformation info = fromEntry(contents.finderInfo);
        change(info);
        info.storeInto(contents.finderInfo);
    });
}
