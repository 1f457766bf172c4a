#include "filesvc/BigEndianWriter.h"

#include <QtEndian>

void BigEndianWriter::writeUInt8(quint8 value)
{
    m_bytes.append(char(value));
}

void BigEndianWriter::writeUInt16(quint16 value)
{
    writeUInt8(quint8(value >> 8));
    writeUInt8(quint8(value));
}

void BigEndianWriter::writeUInt24(quint32 value)
{
    Q_ASSERT(value <= 0xFFFFFF);
    writeUInt8(quint8(value >> 16));
    writeUInt16(quint16(value));
}

void BigEndianWriter::writeUInt32(quint32 value)
{
    writeUInt16(quint16(value >> 16));
    writeUInt16(quint16(value));
}

void BigEndianWriter::writeBytes(QByteArrayView bytes)
{
    m_bytes.append(bytes);
}

void BigEndianWriter::writeZeros(qsizetype count)
{
    m_bytes.append(count, '\0');
}

void BigEndianWriter::padTo(qsizetype alignment)
{
    const qsizetype over = m_bytes.size() % alignment;
    if (over != 0)
        writeZeros(alignment - over);
}

void BigEndianWriter::putUInt16At(qsizetype offset, quint16 value)
{
    Q_ASSERT(offset >= 0 && offset + 2 <= m_bytes.size());
    qToBigEndian(value, m_bytes.data() + offset);
}

void BigEndianWriter::putUInt32At(qsizetype offset, quint32 value)
{
    Q_ASSERT(offset >= 0 && offset + 4 <= m_bytes.size());
    qToBigEndian(value, m_bytes.data() + offset);
}
