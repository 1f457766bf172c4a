#include "filesvc/AppleDouble.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Reads the input as an AppleDouble sidecar; what it reads must survive a rewrite.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Result<AppleDoubleFile> file =
        AppleDouble::parse(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!file || !file->rewritable)
        return 0;
    const Result<AppleDoubleFile> again = AppleDouble::parse(AppleDouble::serialize(*file));
    if (!again || again->finderInfo != file->finderInfo
        || again->resourceFork != file->resourceFork)
        std::abort();
    return 0;
}
