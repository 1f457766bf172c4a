#pragma once

#include <QByteArrayView>

#include <optional>

// The one way Mac file-service bytes (AppleDouble, resource forks, alias records, icon
// families) are read: a cursor over bytes already in memory that reads big-endian
// integers and byte ranges, each read either whole or not at all. Nothing is ever read
// outside the bytes it was given; a short read leaves the cursor where it was. Offsets
// are 64-bit so that two 32-bit fields can be added without overflow; every sum with a
// length is checked.
class BigEndianReader {
public:
    explicit BigEndianReader(QByteArrayView bytes)
        : m_bytes(bytes)
    {
    }

    qsizetype position() const { return m_position; }
    qsizetype remaining() const { return m_bytes.size() - m_position; }
    qsizetype size() const { return m_bytes.size(); }
    QByteArrayView bytes() const { return m_bytes; }

    [[nodiscard]] std::optional<quint8> readUInt8();
    [[nodiscard]] std::optional<quint16> readUInt16();
    [[nodiscard]] std::optional<qint16> readInt16();
    [[nodiscard]] std::optional<quint32> readUInt32();
    [[nodiscard]] std::optional<QByteArrayView> readBytes(quint64 count);
    [[nodiscard]] bool skip(quint64 count);
    // Moves the cursor to an offset inside the bytes (the end included).
    [[nodiscard]] bool seek(quint64 offset);

    // Random access inside the same bytes, for records whose fields are found by offset.
    [[nodiscard]] std::optional<quint8> uint8At(quint64 offset) const;
    [[nodiscard]] std::optional<quint16> uint16At(quint64 offset) const;
    [[nodiscard]] std::optional<quint32> uint32At(quint64 offset) const;
    // Three bytes, as the resource map stores data offsets.
    [[nodiscard]] std::optional<quint32> uint24At(quint64 offset) const;
    [[nodiscard]] std::optional<QByteArrayView> bytesAt(quint64 offset, quint64 count) const;
    // A reader of the bytes [offset, offset + count), for a record inside a record.
    [[nodiscard]] std::optional<BigEndianReader> sliceAt(quint64 offset, quint64 count) const;

private:
    QByteArrayView m_bytes;
    qsizetype m_position = 0;
};
