#include "shortcut/ShellLinkRecords.h"

#include "shortcut/ByteReader.h"
#include "shortcut/EncodingRepair.h"

namespace ShellLinkRecords {
namespace {

constexpr quint64 kLinkFlagsOffset = 20;
constexpr quint32 kTerminalBlockSizeLimit = 4;
constexpr quint64 kBlockSizeAndSignatureSize = 8;
constexpr qsizetype kTargetAnsiSize = 260;
constexpr qsizetype kTargetUnicodeSize = 520;

}

std::optional<ShellLinkHeader> readShellLinkHeader(ByteReader& reader)
{
    // A file shorter than the header is no shortcut.
    const std::optional<QByteArrayView> bytes = reader.readBytes(ShellLinkHeader::kSize);
    if (!bytes)
        return std::nullopt;
    const ByteReader header(*bytes);
    return ShellLinkHeader {*header.uint32At(0), *header.uint32At(kLinkFlagsOffset)};
}

bool skipLinkTargetIdList(ByteReader& reader)
{
    const std::optional<quint16> size = reader.readUInt16();
    return size && reader.skip(*size);
}

std::optional<QString> readStringData(ByteReader& reader, bool isUnicode)
{
    const std::optional<quint16> count = reader.readUInt16();
    if (!count)
        return std::nullopt;
    const std::optional<QByteArrayView> characters =
        reader.readBytes(isUnicode ? *count * 2u : *count);
    if (!characters)
        return std::nullopt;
    return isUnicode ? EncodingRepair::decodeUtf16LE(*characters)
                     : EncodingRepair::decodeLatin1(*characters);
}

std::optional<ExtraDataBlock> readExtraDataBlock(ByteReader& reader)
{
    const std::optional<quint32> size = reader.readUInt32();
    if (!size || *size < kTerminalBlockSizeLimit)
        return std::nullopt;
    // Cut short by the end of the file, a size or signature ends the section and block
    // data is what remains; so is the data of a BlockSize of 4 to 7.
    const std::optional<quint32> signature = reader.readUInt32();
    if (!signature)
        return std::nullopt;
    const quint64 dataSize = *size >= kBlockSizeAndSignatureSize
        ? *size - kBlockSizeAndSignatureSize
        : quint64(reader.remaining());
    const std::optional<QByteArrayView> data = reader.readBytes(dataSize);
    return ExtraDataBlock {*size, *signature, data ? *data : reader.readRest()};
}

std::optional<QString> environmentTarget(QByteArrayView blockData)
{
    // Both target fields must be whole; a shorter block is ignored.
    if (blockData.size() < kTargetAnsiSize + kTargetUnicodeSize)
        return std::nullopt;
    const QByteArrayView targetUnicode = blockData.sliced(kTargetAnsiSize, kTargetUnicodeSize);
    // A TargetUnicode without a zero unit is taken whole: all 260 units.
    qsizetype end = 0;
    while (end < targetUnicode.size() && (targetUnicode[end] != 0 || targetUnicode[end + 1] != 0))
        end += 2;
    return EncodingRepair::decodeUtf16LE(targetUnicode.first(end));
}

}
