#include "shortcut/HVWindowsShortcut.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

// The input is UTF-8 text: a mount string, then pairs of drive-mapping texts (from, to),
// the pieces separated by U+0001.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList pieces =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size))
            .split(QChar(0x0001));
    DriveMappingList mappings;
    for (qsizetype index = 1; index + 1 < pieces.size(); index += 2)
        mappings << KTDriveMapping(pieces[index], pieces[index + 1]);
    const auto shortcut = HVWindowsShortcut::initWithMountString(pieces.first(), mappings);
    if (!shortcut)
        __builtin_trap();
    for (const bool enabled : {false, true}) {
        shortcut->setMappingEnabled(enabled);
        const std::optional<QString> share = shortcut->networkShare(false);
        const std::optional<QString> filename = shortcut->filename();
        const std::optional<QString> composed = shortcut->composedLinkName(false);
        // The composed name is the share and the file name joined, or the file name alone.
        const std::optional<QString> expected = share
            ? std::optional(*share + QLatin1Char('/') + filename.value_or(QString()))
            : filename;
        if (composed != expected || (share && !share->startsWith(QLatin1String("//"))))
            __builtin_trap();
    }
    return 0;
}
