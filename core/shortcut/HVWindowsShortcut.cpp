#include "shortcut/HVWindowsShortcut.h"

#include "shortcut/HVByteReader.h"

#include <QFile>

namespace {

// Reads the whole file, or none when it cannot be read or is larger than the limit. A
// device that never ends (/dev/zero) stops at the limit like a large file.
std::optional<QByteArray> readAtMost(QFile& file, qint64 limit)
{
    QByteArray data;
    const qint64 chunk = qBound(qint64(4096), file.size() + 1, limit + 1);
    for (;;) {
        const qsizetype filled = data.size();
        data.resize(filled + chunk);
        const qint64 count = file.read(data.data() + filled, chunk);
        if (count < 0)
            return std::nullopt;
        data.resize(filled + count);
        if (data.size() > limit)
            return std::nullopt;
        if (count == 0)
            return data;
    }
}

}

HVWindowsShortcut::HVWindowsShortcut(std::optional<KTDriveMappingList> driveMapping)
    : m_driveMapping(std::move(driveMapping))
{
}

std::unique_ptr<HVWindowsShortcut> HVWindowsShortcut::initWithContentsOfFile(
    const QString& path, std::optional<KTDriveMappingList> driveMapping)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return nullptr;
    const std::optional<QByteArray> data = readAtMost(file, kMaxFileSize);
    if (!data)
        return nullptr;
    return initWithContentsOfData(*data, std::move(driveMapping));
}

std::unique_ptr<HVWindowsShortcut> HVWindowsShortcut::initWithContentsOfData(
    QByteArrayView data, std::optional<KTDriveMappingList> driveMapping)
{
    std::unique_ptr<HVWindowsShortcut> shortcut(new HVWindowsShortcut(std::move(driveMapping)));
    HVByteReader file(data);
    const bool complete = shortcut->readHeaderSection(file) && shortcut->readIdListSection(file)
        && shortcut->readLinkInfoSection(file) && shortcut->readStringDataSection(file)
        && shortcut->readExtraDataSection(file);
    if (!complete)
        return nullptr;
    return shortcut;
}

bool HVWindowsShortcut::setMountMethod(const QString& mountMethod)
{
    for (const char* method : {"smb", "afp", "nfs", "cifs"}) {
        if (mountMethod.compare(QLatin1String(method), Qt::CaseInsensitive) == 0) {
            m_mountMethod = mountMethod;
            return true;
        }
    }
    return false;
}

QString HVReadingProvenance::fieldName(Field field)
{
    switch (field) {
    case Field::None:
        return QStringLiteral("none");
    case Field::LocalBasePath:
        return QStringLiteral("LinkInfo.LocalBasePath");
    case Field::NetName:
        return QStringLiteral("CommonNetworkRelativeLink.NetName");
    case Field::NetNameUnicode:
        return QStringLiteral("CommonNetworkRelativeLink.NetNameUnicode");
    case Field::CommonPathSuffix:
        return QStringLiteral("LinkInfo.CommonPathSuffix");
    case Field::CommonPathSuffixUnicode:
        return QStringLiteral("LinkInfo.CommonPathSuffixUnicode");
    case Field::EnvironmentTargetUnicode:
        return QStringLiteral("EnvironmentVariableDataBlock.TargetUnicode");
    }
    return QStringLiteral("none");
}
