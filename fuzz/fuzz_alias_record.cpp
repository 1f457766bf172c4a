#include "filesvc/AliasRecordFormat.h"
#include "filesvc/JLAlias.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Reads the input as an alias record, as an alias file's 'alis' resource holds it: what
// the record keeps is read without resolving, and a record read must be written and
// read back with the same tags.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::unique_ptr<JLAlias> alias = JLAlias::initWithData(bytes)) {
        (void)alias->lastKnownName();
        (void)alias->lastKnownVolumeName();
        (void)alias->lastKnownPath();
        (void)alias->lastKnownShareURL();
    }
    const Result<AliasRecord> record = AliasRecordFormat::parse(bytes);
    if (!record)
        return 0;
    const Result<QByteArray> written = AliasRecordFormat::serialize(*record);
    if (!written)
        return 0;
    const Result<AliasRecord> again = AliasRecordFormat::parse(*written);
    if (!again || again->tags.size() != record->tags.size() || again->fileId != record->fileId)
        std::abort();
    return 0;
}
