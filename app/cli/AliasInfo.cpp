#include "cli/AliasInfo.h"

#include "filesvc/AppleDoubleSidecar.h"
#include "filesvc/JLAlias.h"

#include <QFileInfo>

Result<std::optional<AliasInfo>> AliasInfo::read(const QString& file)
{
    // The sidecar is read first so that a malformed one is told as such. Alias files are
    // regular files; anything else is told why it is no shortcut. Most files have no
    // sidecar, and for them the one lookup of it answers both.
    const Result<std::optional<AppleDoubleFile>> sidecar = AppleDoubleSidecar::read(file);
    if (sidecar && !*sidecar)
        return std::optional<AliasInfo>();
    if (!QFileInfo(file).isFile())
        return std::optional<AliasInfo>();
    if (!sidecar)
        return Failure {
            QStringLiteral("its alias information cannot be read: ") + sidecar.reason()};
    const std::unique_ptr<JLAlias> alias = JLAlias::initWithContentsOfFile(file);
    if (!alias)
        return std::optional<AliasInfo>();
    return std::optional(AliasInfo {file, alias->lastKnownName(), alias->lastKnownVolumeName(),
        alias->lastKnownPath(), alias->lastKnownShareURL()});
}
