#include "support/ShellLinkWriter.h"

#include <QtEndian>

namespace ShellLinkWriter {
namespace {

constexpr qsizetype kHeaderSize = 76;
constexpr qsizetype kTargetAnsiSize = 260;
constexpr qsizetype kTargetUnicodeSize = 520;

QByteArray terminated(const QByteArray& ansi)
{
    return ansi + '\0';
}

QByteArray terminated(const QString& text)
{
    return utf16(text) + QByteArray(2, '\0');
}

quint32 linkFlags(const ShellLinkContents& contents)
{
    quint32 flags = contents.extraLinkFlags;
    // HasLinkTargetIDList, HasLinkInfo, HasName, ... IsUnicode: bits 0 to 7.
    const bool present[] = {contents.idList.has_value(), contents.hasLinkInfo,
        contents.name.has_value(), contents.relativePath.has_value(),
        contents.workingDir.has_value(), contents.arguments.has_value(),
        contents.iconLocation.has_value(), contents.unicodeStrings};
    for (unsigned bit = 0; bit < std::size(present); ++bit)
        flags |= present[bit] ? 1u << bit : 0u;
    return flags;
}

QByteArray header(const ShellLinkContents& contents)
{
    QByteArray bytes = uint32(contents.headerSize);
    bytes += QByteArray::fromHex("0114020000000000c000000000000046"); // LinkCLSID
    bytes += uint32(linkFlags(contents));
    bytes += QByteArray(kHeaderSize - bytes.size(), '\0');
    return bytes;
}

QByteArray commonNetworkRelativeLink(const ShellLinkContents& contents)
{
    const bool unicode = contents.netNameUnicode.has_value();
    const quint32 fixedSize = unicode ? 0x1C : 0x14;
    const quint32 netNameOffset = contents.netNameOffset ? contents.netNameOffset : fixedSize;
    const QByteArray ansiName = terminated(contents.netName.value_or(QByteArray()));
    // CommonNetworkRelativeLinkFlags ValidNetType, NetNameOffset, DeviceNameOffset,
    // NetworkProviderType WNNC_NET_LANMAN.
    QByteArray fields = uint32(0x2) + uint32(netNameOffset) + uint32(0) + uint32(0x00020000);
    QByteArray names = ansiName;
    if (unicode) {
        fields += uint32(fixedSize + quint32(ansiName.size())) + uint32(0);
        names += terminated(*contents.netNameUnicode);
    }
    const QByteArray body = fields + names;
    return uint32(quint32(body.size() + 4)) + body;
}

QByteArray linkInfo(const ShellLinkContents& contents)
{
    const bool network = contents.netName || contents.netNameUnicode;
    const bool unicodeSuffix = contents.commonPathSuffixUnicode.has_value();
    const quint32 headerSize =
        contents.linkInfoHeaderSize ? contents.linkInfoHeaderSize : (unicodeSuffix ? 0x24 : 0x1C);
    const quint32 flags = (contents.localBasePath ? 0x1u : 0u) | (network ? 0x2u : 0u);
    QByteArray tail;
    auto append = [&](const QByteArray& piece) {
        const quint32 offset = headerSize + quint32(tail.size());
        tail += piece;
        return offset;
    };
    const QByteArray volumeId = uint32(0x10) + uint32(3) + uint32(0x12345678) + uint32(0x10);
    const quint32 volumeIdOffset = contents.localBasePath ? append(volumeId) : 0;
    const quint32 localOffset =
        contents.localBasePath ? append(terminated(*contents.localBasePath)) : 0;
    const quint32 networkOffset = network ? append(commonNetworkRelativeLink(contents)) : 0;
    const quint32 suffixOffset =
        append(terminated(contents.commonPathSuffix.value_or(QByteArray())));
    const quint32 suffixUnicodeOffset =
        unicodeSuffix ? append(terminated(*contents.commonPathSuffixUnicode)) : 0;
    QByteArray fields = uint32(headerSize) + uint32(flags) + uint32(volumeIdOffset)
        + uint32(localOffset) + uint32(networkOffset) + uint32(suffixOffset);
    if (headerSize >= 0x24)
        fields += uint32(0) + uint32(suffixUnicodeOffset);
    fields.resize(qsizetype(headerSize) - 4, '\0');
    const QByteArray body = fields + tail;
    return uint32(quint32(body.size() + 4)) + body;
}

QByteArray stringData(const ShellLinkContents& contents)
{
    QByteArray bytes;
    for (const auto* text : {&contents.name, &contents.relativePath, &contents.workingDir,
             &contents.arguments, &contents.iconLocation}) {
        if (!*text)
            continue;
        bytes += uint16(quint16((*text)->size()));
        bytes += contents.unicodeStrings ? utf16(**text) : (*text)->toLatin1();
    }
    return bytes;
}

}

QByteArray write(const ShellLinkContents& contents)
{
    QByteArray bytes = header(contents);
    if (contents.idList)
        bytes += uint16(quint16(contents.idList->size())) + *contents.idList;
    if (contents.rawLinkInfo)
        bytes += *contents.rawLinkInfo;
    else if (contents.hasLinkInfo)
        bytes += linkInfo(contents);
    bytes += stringData(contents);
    for (const QByteArray& block : contents.extraDataBlocks)
        bytes += block;
    if (contents.terminalBlock)
        bytes += uint32(0);
    return bytes;
}

QByteArray extraDataBlock(quint32 signature, const QByteArray& data)
{
    return uint32(quint32(data.size() + 8)) + uint32(signature) + data;
}

QByteArray environmentBlock(const QByteArray& targetAnsi, const QString& targetUnicode)
{
    QByteArray ansi = targetAnsi.left(kTargetAnsiSize);
    ansi.resize(kTargetAnsiSize, '\0');
    QByteArray unicode = utf16(targetUnicode).left(kTargetUnicodeSize);
    unicode.resize(kTargetUnicodeSize, '\0');
    return extraDataBlock(0xA0000001, ansi + unicode);
}

QByteArray uint16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray uint32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray utf16(const QString& text)
{
    QByteArray bytes(text.size() * 2, '\0');
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

}
