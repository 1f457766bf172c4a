#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

class ByteReader;

// The records of a shell link ([MS-SHLLINK]) other than LinkInfo, in file order, each
// read from the reader's position. Each read takes its record whole or reports none.
namespace ShellLinkRecords {

// ShellLinkHeader (2.1): only HeaderSize and LinkFlags are interpreted.
struct ShellLinkHeader {
    static constexpr quint32 kSize = 76;
    quint32 headerSize = 0;
    quint32 linkFlags = 0;
};
[[nodiscard]] std::optional<ShellLinkHeader> readShellLinkHeader(ByteReader& reader);

// LinkTargetIDList (2.2): IDListSize and the item IDs, skipped uninterpreted.
[[nodiscard]] bool skipLinkTargetIdList(ByteReader& reader);

// One StringData entry (2.4): CountCharacters, then that many characters.
[[nodiscard]] std::optional<QString> readStringData(ByteReader& reader, bool isUnicode);

// One ExtraData block (2.5): BlockSize, BlockSignature and the block data. A BlockSize
// below 4 is the TerminalBlock and reads as none, as does the end of the file.
struct ExtraDataBlock {
    quint32 size = 0;
    quint32 signature = 0;
    QByteArrayView data;
};
[[nodiscard]] std::optional<ExtraDataBlock> readExtraDataBlock(ByteReader& reader);

// EnvironmentVariableDataBlock (2.5.4): TargetAnsi (260 bytes, not interpreted) and
// TargetUnicode (520 bytes). The text is TargetUnicode up to its first zero unit.
constexpr quint32 kEnvironmentVariableDataBlockSignature = 0xA0000001;
[[nodiscard]] std::optional<QString> environmentTarget(QByteArrayView blockData);

}
