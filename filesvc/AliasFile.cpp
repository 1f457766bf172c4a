#include "filesvc/AliasFile.h"

#include "workspace/ItemKind.h"

quint32 aliasOSTypeFor(const std::optional<QUrl>& target)
{
    using namespace AliasFileCodes;
    if (!target || !target->isLocalFile())
        return kFolderAlias;
    const std::optional<ItemKinds> kinds = ItemKindOf::path(target->toLocalFile());
    if (!kinds)
        return kFolderAlias;
    if (kinds->testFlag(ItemKind::Application))
        return kinds->testFlag(ItemKind::Package) ? kApplicationPackageAlias : kApplicationAlias;
    if (kinds->testFlag(ItemKind::PlainFile))
        return 0;
    if (kinds->testFlag(ItemKind::Package))
        return kPackageAlias;
    if (kinds->testFlag(ItemKind::Volume))
        return kDiskAlias;
    return kFolderAlias;
}
