#include "filesvc/BigEndianReader.h"

#include <QtEndian>

std::optional<quint8> BigEndianReader::readUInt8()
{
    const std::optional<quint8> value = uint8At(quint64(m_position));
    if (value)
        ++m_position;
    return value;
}

std::optional<quint16> BigEndianReader::readUInt16()
{
    const std::optional<quint16> value = uint16At(quint64(m_position));
    if (value)
        m_position += 2;
    return value;
}

std::optional<qint16> BigEndianReader::readInt16()
{
    const std::optional<quint16> value = readUInt16();
    if (!value)
        return std::nullopt;
    return qint16(*value);
}

std::optional<quint32> BigEndianReader::readUInt32()
{
    const std::optional<quint32> value = uint32At(quint64(m_position));
    if (value)
        m_position += 4;
    return value;
}

std::optional<QByteArrayView> BigEndianReader::readBytes(quint64 count)
{
    const std::optional<QByteArrayView> range = bytesAt(quint64(m_position), count);
    if (range)
        m_position += range->size();
    return range;
}

bool BigEndianReader::skip(quint64 count)
{
    return readBytes(count).has_value();
}

bool BigEndianReader::seek(quint64 offset)
{
    if (offset > quint64(m_bytes.size()))
        return false;
    m_position = qsizetype(offset);
    return true;
}

std::optional<quint8> BigEndianReader::uint8At(quint64 offset) const
{
    const std::optional<QByteArrayView> field = bytesAt(offset, 1);
    if (!field)
        return std::nullopt;
    return quint8(field->front());
}

std::optional<quint16> BigEndianReader::uint16At(quint64 offset) const
{
    const std::optional<QByteArrayView> field = bytesAt(offset, 2);
    if (!field)
        return std::nullopt;
    return qFromBigEndian<quint16>(field->data());
}

std::optional<quint32> BigEndianReader::uint32At(quint64 offset) const
{
    const std::optional<QByteArrayView> field = bytesAt(offset, 4);
    if (!field)
        return std::nullopt;
    return qFromBigEndian<quint32>(field->data());
}

std::optional<quint32> BigEndianReader::uint24At(quint64 offset) const
{
    const std::optional<QByteArrayView> field = bytesAt(offset, 3);
    if (!field)
        return std::nullopt;
    const auto byte = [&](qsizetype index) { return quint32(quint8(field->at(index))); };
    return (byte(0) << 16) | (byte(1) << 8) | byte(2);
}

std::optional<QByteArrayView> BigEndianReader::bytesAt(quint64 offset, quint64 count) const
{
    quint64 end = 0;
    if (qAddOverflow(offset, count, &end) || end > quint64(m_bytes.size()))
        return std::nullopt;
    return m_bytes.sliced(qsizetype(offset), qsizetype(count));
}

std::optional<BigEndianReader> BigEndianReader::sliceAt(quint64 offset, quint64 count) const
{
    const std::optional<QByteArrayView> range = bytesAt(offset, count);
    if (!range)
        return std::nullopt;
    return BigEndianReader(*range);
}
