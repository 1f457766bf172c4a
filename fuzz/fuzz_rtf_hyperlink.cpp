#include "text/RtfHyperlinkReader.h"

#include <cstddef>
#include <cstdint>

// The input is an RTF selection as another application offers it (text/rtf). Whatever
// it holds, the reader ends, and a link it finds came from a HYPERLINK field's text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView rtf(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<RichTextContent> content = RtfHyperlinkReader::read(rtf);
    if (content && content->firstLink && content->firstLink->isEmpty())
        __builtin_trap();
    if (!content && rtf.startsWith("{\\rtf"))
        __builtin_trap();
    return 0;
}
