#include "shortcut/ByteReader.h"

#include <QtEndian>

std::optional<quint16> ByteReader::readUInt16()
{
    const std::optional<QByteArrayView> field = readBytes(sizeof(quint16));
    if (!field)
        return std::nullopt;
    return qFromLittleEndian<quint16>(field->data());
}

std::optional<quint32> ByteReader::readUInt32()
{
    const std::optional<QByteArrayView> field = readBytes(sizeof(quint32));
    if (!field)
        return std::nullopt;
    return qFromLittleEndian<quint32>(field->data());
}

std::optional<QByteArrayView> ByteReader::readBytes(quint64 count)
{
    const std::optional<QByteArrayView> range = bytesAt(quint64(m_position), count);
    if (range)
        m_position += range->size();
    return range;
}

bool ByteReader::skip(quint64 count)
{
    return readBytes(count).has_value();
}

QByteArrayView ByteReader::readRest()
{
    m_reachedEnd = true;
    const QByteArrayView rest = m_bytes.sliced(m_position);
    m_position = m_bytes.size();
    return rest;
}

std::optional<quint32> ByteReader::uint32At(quint64 offset) const
{
    const std::optional<QByteArrayView> field = bytesAt(offset, sizeof(quint32));
    if (!field)
        return std::nullopt;
    return qFromLittleEndian<quint32>(field->data());
}

std::optional<QByteArrayView> ByteReader::bytesAt(quint64 offset, quint64 count) const
{
    quint64 end = 0;
    if (qAddOverflow(offset, count, &end) || end > quint64(m_bytes.size())) {
        m_reachedEnd = true;
        return std::nullopt;
    }
    return m_bytes.sliced(qsizetype(offset), qsizetype(count));
}

std::optional<QByteArrayView> ByteReader::bytesFrom(quint64 offset) const
{
    m_reachedEnd = true;
    if (offset > quint64(m_bytes.size()))
        return std::nullopt;
    return m_bytes.sliced(qsizetype(offset));
}
