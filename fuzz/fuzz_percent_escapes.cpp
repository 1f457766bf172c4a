#include "text/PercentEscapes.h"

#include <cstddef>
#include <cstdint>

// The input is UTF-8 text with percent escapes, as a link's target holds them. A text
// without "%" is left as it is; decoding never lengthens a text, and what it decodes is
// ASCII without NUL.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QString> decoded = PercentEscapes::decodeAsAscii(text);
    if (!text.contains(QLatin1Char('%')) && decoded != text)
        __builtin_trap();
    if (decoded && decoded->size() > text.size())
        __builtin_trap();
    return 0;
}
