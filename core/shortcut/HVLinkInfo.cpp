#include "shortcut/HVLinkInfo.h"

#include "shortcut/ByteReader.h"

#include <cstring>

namespace {

// LinkInfo fields, as offsets from the first byte of LinkInfoSize.
constexpr quint64 kLinkInfoHeaderSizeOffset = 4;
constexpr quint64 kLinkInfoFlagsOffset = 8;
constexpr quint64 kLocalBasePathOffset = 16;
constexpr quint64 kCommonNetworkRelativeLinkOffset = 20;
constexpr quint64 kCommonPathSuffixOffset = 24;
constexpr quint64 kCommonPathSuffixOffsetUnicode = 32;
// The fields up to CommonPathSuffixOffset: a smaller block cannot say what it holds.
constexpr quint32 kLinkInfoMinimumSize = 28;
// From LinkInfoHeaderSize 0x24 on, the Unicode offsets follow the 8-bit ones.
constexpr quint32 kLinkInfoHeaderSizeWithUnicode = 0x24;

// CommonNetworkRelativeLink fields, as offsets from its own first byte.
constexpr quint64 kNetNameOffset = 8;
constexpr quint64 kNetNameOffsetUnicode = 20;
// A NetNameOffset above 0x14 means NetNameOffsetUnicode is present.
constexpr quint32 kNetNameOffsetWithoutUnicode = 0x14;

// A string runs from its offset to its terminator. One whose offset lies outside the
// block, or that has no terminator inside it, reads as absent.
std::optional<HVLinkInfo::String> ansiStringAt(const ByteReader& block, quint64 offset)
{
    const std::optional<QByteArrayView> rest = block.bytesFrom(offset);
    if (!rest)
        return std::nullopt;
    const auto* terminator =
        static_cast<const char*>(std::memchr(rest->data(), 0, size_t(rest->size())));
    if (!terminator)
        return std::nullopt;
    return HVLinkInfo::String {rest->first(terminator - rest->data()).toByteArray(), false};
}

std::optional<HVLinkInfo::String> unicodeStringAt(const ByteReader& block, quint64 offset)
{
    const std::optional<QByteArrayView> rest = block.bytesFrom(offset);
    if (!rest)
        return std::nullopt;
    for (qsizetype unit = 0; unit + 1 < rest->size(); unit += 2) {
        if ((*rest)[unit] == 0 && (*rest)[unit + 1] == 0)
            return HVLinkInfo::String {rest->first(unit).toByteArray(), true};
    }
    return std::nullopt;
}

std::optional<HVLinkInfo::String> netNameAt(const ByteReader& block, quint64 linkOffset)
{
    const std::optional<quint32> netNameOffset = block.uint32At(linkOffset + kNetNameOffset);
    if (!netNameOffset)
        return std::nullopt;
    if (*netNameOffset <= kNetNameOffsetWithoutUnicode)
        return ansiStringAt(block, linkOffset + *netNameOffset);
    const std::optional<quint32> unicodeOffset = block.uint32At(linkOffset + kNetNameOffsetUnicode);
    if (!unicodeOffset)
        return std::nullopt;
    return unicodeStringAt(block, linkOffset + *unicodeOffset);
}

std::optional<HVLinkInfo::String> commonPathSuffixIn(const ByteReader& block, quint32 headerSize)
{
    if (headerSize < kLinkInfoHeaderSizeWithUnicode) {
        const std::optional<quint32> offset = block.uint32At(kCommonPathSuffixOffset);
        return offset ? ansiStringAt(block, *offset) : std::nullopt;
    }
    const std::optional<quint32> offset = block.uint32At(kCommonPathSuffixOffsetUnicode);
    return offset ? unicodeStringAt(block, *offset) : std::nullopt;
}

}

std::optional<HVLinkInfo> HVLinkInfo::read(ByteReader& reader)
{
    const std::optional<quint32> size = reader.uint32At(quint64(reader.position()));
    if (!size || *size < kLinkInfoMinimumSize)
        return std::nullopt;
    const std::optional<QByteArrayView> bytes = reader.readBytes(*size);
    if (!bytes)
        return std::nullopt;
    const ByteReader block(*bytes);

    HVLinkInfo info;
    info.headerSize = block.uint32At(kLinkInfoHeaderSizeOffset).value_or(0);
    info.flags = block.uint32At(kLinkInfoFlagsOffset).value_or(0);
    if (info.hasLocalBasePath()) {
        if (const std::optional<quint32> offset = block.uint32At(kLocalBasePathOffset))
            info.localBasePath = ansiStringAt(block, *offset);
    }
    if (info.hasNetworkTarget()) {
        if (const std::optional<quint32> offset = block.uint32At(kCommonNetworkRelativeLinkOffset))
            info.netName = netNameAt(block, *offset);
        info.commonPathSuffix = commonPathSuffixIn(block, info.headerSize);
    }
    return info;
}
