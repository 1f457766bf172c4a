#include "cli/OutputBuffer.h"

#include "platform/ControlEscapes.h"
#include "platform/FileNames.h"

#include <QString>

#include <unistd.h>

#include <algorithm>
#include <charconv>

namespace {

constexpr size_t kChunkSize = size_t(1) << 16;

constexpr char kHexDigits[] = "0123456789abcdef";

// The characters JSON writes with a backslash and a letter.
char shortJsonEscape(char16_t character)
{
    switch (character) {
    case u'"':
        return '"';
    case u'\\':
        return '\\';
    case u'\b':
        return 'b';
    case u'\f':
        return 'f';
    case u'\n':
        return 'n';
    case u'\r':
        return 'r';
    case u'\t':
        return 't';
    default:
        return 0;
    }
}

bool isPrintableAscii(char16_t character, bool json)
{
    return character >= 0x20 && character < 0x7F
        && !(json && (character == u'"' || character == u'\\'));
}

bool completesPair(QStringView text, qsizetype index)
{
    return text[index].isHighSurrogate() && index + 1 < text.size()
        && text[index + 1].isLowSurrogate();
}

}

OutputBuffer::OutputBuffer(std::FILE* stream)
    : m_stream(stream)
    // A person at a terminal sees each item as it is done, in order with the errors.
    , m_chunkSize(::isatty(::fileno(stream)) == 1 ? 1 : kChunkSize)
{
    m_bytes.resize(2 * kChunkSize);
}

void OutputBuffer::appendUtf8(QStringView text)
{
    for (qsizetype index = appendPrintableAscii(text, 0, false); index < text.size();
         index = appendPrintableAscii(text, index + 1, false))
        appendCodeUnits(text, index);
}

void OutputBuffer::appendEscaped(QStringView text)
{
    for (qsizetype index = appendPrintableAscii(text, 0, false); index < text.size();
         index = appendPrintableAscii(text, index + 1, false)) {
        const char16_t character = text[index].unicode();
        if (ControlEscapes::isEscaped(character)
            || (QChar::isLowSurrogate(character) && FileNames::isEscapedByte(text, index)))
            appendUnicodeEscape(character);
        else
            appendCodeUnits(text, index);
    }
}

void OutputBuffer::appendJsonString(QStringView text)
{
    append("\"");
    for (qsizetype index = appendPrintableAscii(text, 0, true); index < text.size();
         index = appendPrintableAscii(text, index + 1, true)) {
        const char16_t character = text[index].unicode();
        if (const char letter = shortJsonEscape(character)) {
            const char escape[] = {'\\', letter};
            append(std::string_view(escape, 2));
        } else if (ControlEscapes::isEscaped(character)
            || (QChar::isSurrogate(character) && !completesPair(text, index))) {
            // A lone surrogate has no UTF-8 form; the escape keeps it, which is also
            // how a name byte that is not UTF-8 (\udcXX) reads back.
            appendUnicodeEscape(character);
        } else {
            appendCodeUnits(text, index);
        }
    }
    append("\"");
}

void OutputBuffer::appendNumber(qint64 number)
{
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
    append(std::string_view(digits, size_t(end - digits)));
}

void OutputBuffer::appendHex8(quint32 number)
{
    char* out = tail(8);
    for (int shift = 28; shift >= 0; shift -= 4)
        *out++ = kHexDigits[(number >> shift) & 0xF];
    m_size += 8;
}

bool OutputBuffer::finish()
{
    write();
    return std::fflush(m_stream) == 0 && !m_failed;
}

// Copies the run of printable ASCII from index on, most of every name and field, in one
// pass; in JSON the quote and the backslash end it too. Returns where the run ends.
// Room for the rest of the text is only ever made once, as the buffer grows.
qsizetype OutputBuffer::appendPrintableAscii(QStringView text, qsizetype index, bool json)
{
    const char16_t* units = text.utf16();
    const qsizetype size = text.size();
    char* const start = tail(size_t(size - index));
    char* out = start;
    qsizetype end = index;
    for (; end < size && isPrintableAscii(units[end], json); ++end)
        *out++ = char(units[end]);
    m_size += size_t(out - start);
    return end;
}

// One character as UTF-8, a surrogate pair as one: index moves past what was written.
// A lone surrogate is written as QString writes it.
void OutputBuffer::appendCodeUnits(QStringView text, qsizetype& index)
{
    const char16_t unit = text[index].unicode();
    char* const start = tail(4);
    char* out = start;
    if (unit < 0x80) {
        *out++ = char(unit);
    } else if (unit < 0x800) {
        *out++ = char(0xC0 | (unit >> 6));
        *out++ = char(0x80 | (unit & 0x3F));
    } else if (!QChar::isSurrogate(unit)) {
        *out++ = char(0xE0 | (unit >> 12));
        *out++ = char(0x80 | ((unit >> 6) & 0x3F));
        *out++ = char(0x80 | (unit & 0x3F));
    } else if (completesPair(text, index)) {
        const char32_t point = QChar::surrogateToUcs4(unit, text[++index].unicode());
        *out++ = char(0xF0 | (point >> 18));
        *out++ = char(0x80 | ((point >> 12) & 0x3F));
        *out++ = char(0x80 | ((point >> 6) & 0x3F));
        *out++ = char(0x80 | (point & 0x3F));
    } else {
        m_size += size_t(out - start);
        append(text.mid(index, 1).toUtf8().toStdString());
        return;
    }
    m_size += size_t(out - start);
}

void OutputBuffer::appendUnicodeEscape(char16_t character)
{
    char* out = tail(6);
    *out++ = '\\';
    *out++ = 'u';
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = kHexDigits[(character >> shift) & 0xF];
    m_size += 6;
}

void OutputBuffer::endItem()
{
    if (m_size >= m_chunkSize)
        write();
}

void OutputBuffer::grow(size_t count)
{
    m_bytes.resize(std::max(2 * m_bytes.size(), m_size + count));
}

void OutputBuffer::write()
{
    if (m_size > 0 && std::fwrite(m_bytes.data(), 1, m_size, m_stream) != m_size)
        m_failed = true;
    m_size = 0;
}
