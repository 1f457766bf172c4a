#include "filesvc/ResourceForkFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Reads the input as a resource fork; a fork read must be written and read back equal.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Result<ResourceFork> fork = ResourceForkFormat::parse(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!fork)
        return 0;
    (void)fork->types();
    const Result<QByteArray> written = ResourceForkFormat::serialize(*fork);
    if (!written)
        return 0;
    const Result<ResourceFork> again = ResourceForkFormat::parse(*written);
    if (!again || again->resources != fork->resources
        || again->mapAttributes != fork->mapAttributes)
        std::abort();
    return 0;
}
