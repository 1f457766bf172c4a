#include "filesvc/AliasFile.h"
#include "filesvc/FinderInformation.h"
#include "filesvc/JLAlias.h"
#include "filesvc/JLCarbonUtilities.h"
#include "filesvc/JLResourceFork.h"
#include "filesvc/ResourceForkOtherSources.h"

#include <QFileInfo>

namespace {

using namespace AliasFileCodes;

constexpr char kAliasResourceName[] = "created by JLAlias";

struct TargetInformation {
    std::optional<QUrl> url;
    quint16 flags = 0;
    quint32 type = 0;
    quint32 creator = 0;
};

// What making the record saw of the target while its path still shows that item;
// otherwise the record resolved, and the target's sidecar read.
TargetInformation targetOf(JLAlias& alias)
{
    TargetInformation target;
    const std::optional<JLAlias::RecordedTarget> recorded = alias.recordedTarget();
    target.url = recorded ? QUrl::fromLocalFile(recorded->path) : alias.URL();
    if (recorded && recorded->finderInfo) {
        target.flags = recorded->finderInfo->flags;
        target.type = recorded->finderInfo->type;
        target.creator = recorded->finderInfo->creator;
    } else if (target.url
        && !JLCarbonUtilities::finderInfoFlags(
            *target.url, &target.flags, &target.type, &target.creator)) {
        target = TargetInformation {target.url};
    }
    return target;
}

bool wantsIcon(quint32 type, quint16 targetFlags)
{
    return type == 0 || (targetFlags & FinderInformation::HasCustomIcon) != 0
        || type == kApplicationPackageAlias || type == kApplicationAlias;
}

}

// The record, the icon and the Finder information reach the disk together: one write of
// the sidecar when the fork is closed, last.
Result<void> JLAlias::writeAliasFile(const QString& path, bool includeCustomIcon)
{
    Result<std::unique_ptr<JLResourceFork>> opened =
        JLResourceFork::open(JLResourceFork::kWritePermission, path);
    if (!opened)
        return opened.failure();
    JLResourceFork& fork = **opened;
    if (!fork.addData(m_aliasHandle, kAliasResourceType, aliasRecordId,
            QString::fromLatin1(kAliasResourceName))) {
        (void)fork.closeFile();
        return Failure {path + QStringLiteral(": the alias record cannot be added")};
    }
    const TargetInformation target = targetOf(*this);
    const quint32 kindCode = aliasOSTypeFor(target.url);
    const quint32 type = kindCode != 0 ? kindCode : target.type;
    const quint32 creator = kindCode != 0 ? finderCreatorCode : target.creator;
    bool withIcon = false;
    if (includeCustomIcon && target.url && wantsIcon(type, target.flags)) {
        const std::optional<QByteArray> icon =
            ResourceForkOtherSources::iconFamilyDataForURL(*target.url);
        withIcon = icon && fork.addData(*icon, kIconFamilyResourceType, kCustomIconId, QString());
    }
    if (!withIcon)
        (void)fork.removeType(kIconFamilyResourceType, kCustomIconId);
    const quint16 flags =
        FinderInformation::IsAlias | (withIcon ? FinderInformation::HasCustomIcon : 0);
    constexpr quint16 mask = FinderInformation::IsAlias | FinderInformation::HasCustomIcon;
    fork.changeFinderInformationOnClose([=](FinderInformation& info) {
        info.flags =
            quint16(((info.flags & ~mask) | (flags & mask)) & ~FinderInformation::HasBeenInited);
        info.type = type;
        info.creator = creator;
    });
    return fork.closeFile();
}

bool JLAlias::writeToFile(const QString& path, bool includeCustomIcon)
{
    return writeAliasFile(QFileInfo(path).absoluteFilePath(), includeCustomIcon).ok();
}

bool JLAlias::writeToURL(const QUrl& url, bool includeCustomIcon)
{
    return url.isLocalFile() && writeToFile(url.toLocalFile(), includeCustomIcon);
}
