#include "platform/ControlEscapes.h"
#include "platform/FileNames.h"

#include <cstddef>
#include <cstdint>

// The input is a file name's bytes, as an archive or an old share gives them: decoding
// keeps every byte, so encoding gives the very same bytes back, and what a terminal is
// shown of it holds no raw control or escaped byte.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView name(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString decoded = FileNames::decode(name);
    if (FileNames::encode(decoded) != name)
        __builtin_trap();
    const QString shown = ControlEscapes::escapeControls(decoded);
    for (qsizetype index = 0; index < shown.size(); ++index) {
        if (ControlEscapes::isEscaped(shown[index].unicode())
            || FileNames::isEscapedByte(shown, index))
            __builtin_trap();
    }
    return 0;
}
