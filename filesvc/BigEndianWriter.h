#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The writer that matches BigEndianReader: appends big-endian integers and bytes, and
// fills in fields whose value is known only later (a length, an offset) at an offset
// already written. Filling in outside what was written is a programming error.
class BigEndianWriter {
public:
    qsizetype size() const { return m_bytes.size(); }
    const QByteArray& bytes() const& { return m_bytes; }
    QByteArray bytes() && { return std::move(m_bytes); }

    void writeUInt8(quint8 value);
    void writeUInt16(quint16 value);
    void writeInt16(qint16 value) { writeUInt16(quint16(value)); }
    void writeUInt24(quint32 value);
    void writeUInt32(quint32 value);
    void writeBytes(QByteArrayView bytes);
    void writeZeros(qsizetype count);
    // Zeros up to the next multiple of alignment.
    void padTo(qsizetype alignment);

    void putUInt16At(qsizetype offset, quint16 value);
    void putUInt32At(qsizetype offset, quint32 value);

private:
    QByteArray m_bytes;
};
