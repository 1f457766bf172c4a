#include "platform/SystemLog.h"
#include "shortcut/HVWindowsShortcut.h"

#include <cstddef>
#include <cstdint>

// Reads the input as the bytes of a shortcut file and composes its target.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        SystemLog::setSink([](const QString&) {});
        return true;
    }();
    (void)quiet;
    static const DriveMappingList mappings {
        KTDriveMapping(QStringLiteral("X:"), QStringLiteral("\\\\srv\\data")),
        KTDriveMapping(QStringLiteral("%HOMESHARE%"), QStringLiteral("//home/me")),
    };
    const auto shortcut = HVWindowsShortcut::initWithContentsOfData(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), mappings);
    if (!shortcut)
        return 0;
    for (const bool enabled : {false, true}) {
        shortcut->setMappingEnabled(enabled);
        (void)shortcut->composedLinkName(true);
        (void)shortcut->networkShare(true);
        (void)shortcut->filename();
    }
    return 0;
}
