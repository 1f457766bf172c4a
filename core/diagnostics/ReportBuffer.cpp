#include "diagnostics/ReportBuffer.h"

#include <cstring>

ReportBuffer::ReportBuffer(char* storage, std::size_t capacity)
    : m_storage(storage)
    , m_capacity(capacity)
{
}

void ReportBuffer::append(const char* text)
{
    append(text, std::strlen(text));
}

void ReportBuffer::append(const char* bytes, std::size_t length)
{
    appendWithin(bytes, length, m_capacity - kClosingRoom);
}

void ReportBuffer::appendClosing(const char* text)
{
    appendWithin(text, std::strlen(text), m_capacity);
}

void ReportBuffer::appendWithin(const char* bytes, std::size_t length, std::size_t limit)
{
    const std::size_t fits = m_size < limit ? limit - m_size : 0;
    const std::size_t copied = length < fits ? length : fits;
    std::memcpy(m_storage + m_size, bytes, copied);
    m_size += copied;
}

void ReportBuffer::appendDecimal(std::uint64_t value)
{
    char digits[20];
    std::size_t count = 0;
    do {
        digits[sizeof digits - ++count] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    append(digits + sizeof digits - count, count);
}

void ReportBuffer::appendHex(std::uintptr_t value)
{
    static const char hexDigits[] = "0123456789abcdef";
    char digits[2 + 2 * sizeof value];
    std::size_t count = 0;
    do {
        digits[sizeof digits - ++count] = hexDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    digits[sizeof digits - ++count] = 'x';
    digits[sizeof digits - ++count] = '0';
    append(digits + sizeof digits - count, count);
}

const char* ReportBuffer::cString()
{
    if (m_size == m_capacity)
        --m_size;
    m_storage[m_size] = '\0';
    return m_storage;
}
