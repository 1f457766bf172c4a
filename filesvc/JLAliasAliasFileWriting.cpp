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

bool wantsIcon(quint32 type, quint16 targetFlags)
{
    return type == 0 || (targetFlags & FinderInformation::HasCustomIcon) != 0
        || type == kApplicationPackageAlias || type == kApplicationAlias;
}

quint32 typeOf(const JLAlias::WritingFacts& target)
{
    return target.kindCode != 0 ? target.kindCode : target.type;
}

// The target's Finder information as making the record saw it (recorded, while its path
// still shows that item), else as its sidecar holds it once the record is resolved; its
// kind, and its icon's names, asked of its path.
JLAlias::WritingFacts writingFactsOf(
    JLAlias& alias, const std::optional<JLAlias::RecordedTarget>& recorded)
{
    JLAlias::WritingFacts target;
    target.url = recorded ? QUrl::fromLocalFile(recorded->path) : alias.URL();
    if (recorded && recorded->finderInfo) {
        target.flags = recorded->finderInfo->flags;
        target.type = recorded->finderInfo->type;
        target.creator = recorded->finderInfo->creator;
    } else if (target.url
        && !JLCarbonUtilities::finderInfoFlags(
            *target.url, &target.flags, &target.type, &target.creator)) {
        target = JLAlias::WritingFacts {target.url};
    }
    target.kindCode = aliasOSTypeFor(target.url);
    const std::optional<FSRef> ref =
        target.url ? FSRef::fromPath(target.url->toLocalFile()) : std::nullopt;
    if (ref && wantsIcon(typeOf(target), target.flags))
        target.iconNames = ResourceForkOtherSources::iconNamesForPath(ref->path());
    return target;
}

}

// Rendering the icon is left to writeAliasFile(), on the thread of the application. A
// target gone already is left to it too: resolving the record may mount a share.
std::unique_ptr<JLAlias> JLAlias::aliasReadyToWrite(const QString& path)
{
    std::unique_ptr<JLAlias> alias = initWithPath(path);
    if (const std::optional<RecordedTarget> recorded =
            alias ? alias->recordedTarget() : std::nullopt)
        alias->m_madeFor->writingFacts = writingFactsOf(*alias, recorded);
    return alias;
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
    const bool factsTaken = m_madeFor && m_madeFor->writingFacts;
    const WritingFacts target =
        factsTaken ? *m_madeFor->writingFacts : writingFactsOf(*this, recordedTarget());
    const quint32 type = typeOf(target);
    const quint32 creator = target.kindCode != 0 ? finderCreatorCode : target.creator;
    bool withIcon = false;
    if (includeCustomIcon && !target.iconNames.isEmpty()) {
        const std::optional<QByteArray> icon =
            ResourceForkOtherSources::iconFamilyForIconNames(target.iconNames);
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
