#pragma once

#include <QUrl>

#include <optional>

// The fixed values of an alias file: the Finder's creator code, which marks the kind
// codes below, and the id of the alias record resource.
inline constexpr quint32 finderCreatorCode = 0x4D414353; // 'MACS'
inline constexpr qint16 aliasRecordId = 0;

namespace AliasFileCodes {

inline constexpr quint32 kAliasResourceType = 0x616C6973; // 'alis'
inline constexpr quint32 kIconFamilyResourceType = 0x69636E73; // 'icns'
inline constexpr qint16 kCustomIconId = -16455;
inline constexpr quint32 kFolderAlias = 0x66647270; // 'fdrp'
inline constexpr quint32 kApplicationPackageAlias = 0x66617061; // 'fapa'
inline constexpr quint32 kApplicationAlias = 0x61647270; // 'adrp'
inline constexpr quint32 kPackageAlias = 0x66706B61; // 'fpka'
inline constexpr quint32 kDiskAlias = 0x6864736B; // 'hdsk'

}

// The type code an alias file of the target gets from the target's kind: 'fapa' for an
// application package, 'adrp' for an application, 0 for a plain file (whose alias takes
// the target's own type and creator), 'fpka' for another package, 'hdsk' for a volume,
// and 'fdrp' for a folder, for anything else, and when the target is null or gone.
quint32 aliasOSTypeFor(const std::optional<QUrl>& target);
