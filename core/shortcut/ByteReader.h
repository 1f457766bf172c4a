#pragma once

#include <QByteArrayView>

#include <optional>

// The one way shell-link bytes are read: a cursor over bytes already in memory that
// reads little-endian integers and byte ranges, each read either whole or not at all.
// Nothing is ever read outside the bytes it was given; a short read leaves the cursor
// where it was. Offsets given to the *At functions are 64-bit so that two 32-bit fields
// of a file can be added without overflow; the sum with a length is checked.
class ByteReader {
public:
    explicit ByteReader(QByteArrayView bytes)
        : m_bytes(bytes)
    {
    }

    qsizetype position() const { return m_position; }
    qsizetype remaining() const { return m_bytes.size() - m_position; }
    bool atEnd() const { return m_position == m_bytes.size(); }

    [[nodiscard]] std::optional<quint16> readUInt16();
    [[nodiscard]] std::optional<quint32> readUInt32();
    [[nodiscard]] std::optional<QByteArrayView> readBytes(quint64 count);
    [[nodiscard]] bool skip(quint64 count);
    // Everything up to the end, possibly nothing.
    QByteArrayView readRest();

    // Random access inside the same bytes, for records whose fields are found by offset.
    [[nodiscard]] std::optional<quint32> uint32At(quint64 offset) const;
    [[nodiscard]] std::optional<QByteArrayView> bytesAt(quint64 offset, quint64 count) const;
    [[nodiscard]] std::optional<QByteArrayView> bytesFrom(quint64 offset) const;

    QByteArrayView bytes() const { return m_bytes; }

    // Whether a read has asked for bytes past the end, or for all that remain: only then
    // could more bytes after these have changed what was read.
    bool reachedEnd() const { return m_reachedEnd; }

private:
    QByteArrayView m_bytes;
    qsizetype m_position = 0;
    mutable bool m_reachedEnd = false;
};
