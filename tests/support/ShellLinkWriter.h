#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Writes well-formed shell-link (.lnk) files for tests and sample tools: the header, an ID
// list, LinkInfo with its CommonNetworkRelativeLink, StringData and ExtraData blocks. Unset
// fields are not written; tests damage the bytes afterwards where they need a malformed file.
struct ShellLinkContents {
    // LinkFlags beyond those derived from the fields below (HasLinkInfo, HasLinkTargetIDList,
    // the StringData flags, IsUnicode).
    quint32 extraLinkFlags = 0;
    quint32 headerSize = 76;
    bool hasLinkInfo = true;
    std::optional<QByteArray> idList {}; // item IDs, written after IDListSize

    std::optional<QByteArray> localBasePath {}; // 8-bit
    std::optional<QByteArray> netName {}; // 8-bit NetName
    std::optional<QString> netNameUnicode {}; // makes NetNameOffset 0x1C
    std::optional<QByteArray> commonPathSuffix {}; // 8-bit
    std::optional<QString> commonPathSuffixUnicode {}; // makes LinkInfoHeaderSize 0x24
    // LinkInfoHeaderSize, NetNameOffset: zero takes what the fields above imply.
    quint32 linkInfoHeaderSize = 0;
    quint32 netNameOffset = 0;
    std::optional<QByteArray> rawLinkInfo {}; // written instead of the LinkInfo from the above

    bool unicodeStrings = true;
    std::optional<QString> name {}, relativePath {}, workingDir {}, arguments {}, iconLocation {};

    QList<QByteArray> extraDataBlocks {}; // whole blocks, see the functions below
    bool terminalBlock = true;
};

namespace ShellLinkWriter {

constexpr quint32 kPreferEnvironmentPath = 0x02000000;

QByteArray write(const ShellLinkContents& contents);

// An ExtraData block: BlockSize (8 + data), BlockSignature, data.
QByteArray extraDataBlock(quint32 signature, const QByteArray& data);
// An EnvironmentVariableDataBlock: TargetAnsi and TargetUnicode, each zero-padded to its
// field (260 bytes, 520 bytes); longer texts are cut to the field without terminator.
QByteArray environmentBlock(const QByteArray& targetAnsi, const QString& targetUnicode);

// Little-endian pieces, for tests that assemble records by hand.
QByteArray uint16(quint16 value);
QByteArray uint32(quint32 value);
QByteArray utf16(const QString& text); // UTF-16LE code units, no terminator

}
