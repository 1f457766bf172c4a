#include "support/ShellLinkWriter.h"

#include <QtEndian>

namespace ShellLinkWriter {
namespace {

template<typename Value> QByteArray littleEndian(Value value)
{
    QByteArray bytes(qsizetype(sizeof value), '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray terminated(const QByteArray& ansi)
{
    return ansi + '\0';
}

QByteArray terminated(const QString& text)
{
    return utf16(text) + QByteArray(2, '\0');
}

// A record that starts with its own size, four bytes.
QByteArray sized(const QByteArray& body)
{
    return uint32(quint32(body.size() + 4)) + body;
}

QByteArray header(const ShellLinkContents& contents)
{
    // HasLinkTargetIDList, HasLinkInfo, HasName, ... IsUnicode: bits 0 to 7.
    const bool present[] = {contents.idList.has_value(), contents.hasLinkInfo,
        contents.name.has_value(), contents.relativePath.has_value(),
        contents.workingDir.has_value(), contents.arguments.has_value(),
        contents.iconLocation.has_value(), contents.unicodeStrings};
    quint32 flags = contents.extraLinkFlags;
    for (unsigned bit = 0; bit < std::size(present); ++bit)
        flags |= present[bit] ? 1u << bit : 0u;
    const QByteArray linkClsid = QByteArray::fromHex("0114020000000000c000000000000046");
    QByteArray bytes = uint32(contents.headerSize) + linkClsid + uint32(flags);
    bytes.resize(76, '\0');
    return bytes;
}

QByteArray commonNetworkRelativeLink(const ShellLinkContents& contents)
{
    const bool unicode = contents.netNameUnicode.has_value();
    const quint32 fixedSize = unicode ? 0x1C : 0x14;
    const QByteArray ansiName = terminated(contents.netName.value_or(QByteArray()));
    // CommonNetworkRelativeLinkFlags ValidNetType, NetNameOffset, DeviceNameOffset,
    // NetworkProviderType WNNC_NET_LANMAN.
    QByteArray fields = uint32(0x2)
        + uint32(contents.netNameOffset ? contents.netNameOffset : fixedSize) + uint32(0)
        + uint32(0x00020000);
    if (!unicode)
        return sized(fields + ansiName);
    return sized(fields + uint32(fixedSize + quint32(ansiName.size())) + uint32(0) + ansiName
        + terminated(*contents.netNameUnicode));
}

QByteArray linkInfo(const ShellLinkContents& contents)
{
    const bool network = contents.netName || contents.netNameUnicode;
    const bool unicodeSuffix = contents.commonPathSuffixUnicode.has_value();
    const quint32 headerSize =
        contents.linkInfoHeaderSize ? contents.linkInfoHeaderSize : (unicodeSuffix ? 0x24 : 0x1C);
    QByteArray tail;
    // Appends a piece where present, giving its offset from the start of LinkInfo (or 0).
    auto append = [&](bool present, const QByteArray& piece) {
        const quint32 offset = present ? headerSize + quint32(tail.size()) : 0;
        tail += present ? piece : QByteArray();
        return uint32(offset);
    };
    const QByteArray volumeId = uint32(0x10) + uint32(3) + uint32(0x12345678) + uint32(0x10);
    const bool local = contents.localBasePath.has_value();
    QByteArray fields = uint32(headerSize) + uint32((local ? 0x1u : 0u) | (network ? 0x2u : 0u));
    fields += append(local, volumeId);
    fields += append(local, terminated(contents.localBasePath.value_or(QByteArray())));
    fields += append(network, network ? commonNetworkRelativeLink(contents) : QByteArray());
    fields += append(true, terminated(contents.commonPathSuffix.value_or(QByteArray())));
    const QByteArray suffixUnicodeOffset =
        append(unicodeSuffix, terminated(contents.commonPathSuffixUnicode.value_or(QString())));
    if (headerSize >= 0x24)
        fields += uint32(0) + suffixUnicodeOffset;
    fields.resize(qsizetype(headerSize) - 4, '\0');
    return sized(fields + tail);
}

}

QByteArray write(const ShellLinkContents& contents)
{
    QByteArray bytes = header(contents);
    if (contents.idList)
        bytes += uint16(quint16(contents.idList->size())) + *contents.idList;
    if (contents.rawLinkInfo || contents.hasLinkInfo)
        bytes += contents.rawLinkInfo ? *contents.rawLinkInfo : linkInfo(contents);
    for (const auto* text : {&contents.name, &contents.relativePath, &contents.workingDir,
             &contents.arguments, &contents.iconLocation}) {
        if (*text)
            bytes += uint16(quint16((*text)->size()))
                + (contents.unicodeStrings ? utf16(**text) : (*text)->toLatin1());
    }
    for (const QByteArray& block : contents.extraDataBlocks)
        bytes += block;
    return contents.terminalBlock ? bytes + uint32(0) : bytes;
}

QByteArray extraDataBlock(quint32 signature, const QByteArray& data)
{
    return uint32(quint32(data.size() + 8)) + uint32(signature) + data;
}

QByteArray environmentBlock(const QByteArray& targetAnsi, const QString& targetUnicode)
{
    QByteArray ansi = targetAnsi.left(260);
    ansi.resize(260, '\0');
    QByteArray unicode = utf16(targetUnicode).left(520);
    unicode.resize(520, '\0');
    return extraDataBlock(0xA0000001, ansi + unicode);
}

QByteArray uint16(quint16 value)
{
    return littleEndian(value);
}

QByteArray uint32(quint32 value)
{
    return littleEndian(value);
}

QByteArray utf16(const QString& text)
{
    QByteArray bytes(text.size() * 2, '\0');
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

}
