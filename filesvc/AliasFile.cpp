#include "filesvc/AliasFile.h"

#include "workspace/ExecuteBit.h"
#include "workspace/ItemKind.h"

quint32 aliasOSTypeFor(const std::optional<QUrl>& target)
{
    using namespace AliasFileCodes;
    if (!target || !target->isLocalFile())
        return kFolderAlias;
    const std::optional<ItemKinds> kinds = ItemKindOf::path(target->toLocalFile());
    if (!kinds)
        return kFolderAlias;
    // On an SMB share every file comes out executable: there the execute bit makes no
    // document an application (a desktop entry still is one).
    const bool application = kinds->testFlag(ItemKind::Application)
        && (target->toLocalFile().endsWith(QLatin1String(".desktop"))
            || kinds->testFlag(ItemKind::Package)
            || ExecuteBit::meansSomethingAt(target->toLocalFile()));
    if (application)
        return kinds->testFlag(ItemKind::Package) ? kApplicationPackageAlias : kApplicationAlias;
    if (kinds->testFlag(ItemKind::PlainFile))
        return 0;
    if (kinds->testFlag(ItemKind::Package))
        return kPackageAlias;
    if (kinds->testFlag(ItemKind::Volume))
        return kDiskAlias;
    return kFolderAlias;
}
