#include "cli/OutputBuffer.h"

#include "platform/ControlEscapes.h"
#include "platform/FileNames.h"

#include <QString>

#include <unistd.h>

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
    m_bytes.reserve(2 * kChunkSize);
}

void OutputBuffer::append(std::string_view bytes)
{
    m_bytes.append(bytes);
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
    m_bytes += '"';
    for (qsizetype index = appendPrintableAscii(text, 0, true); index < text.size();
         index = appendPrintableAscii(text, index + 1, true)) {
        const char16_t character = text[index].unicode();
        if (const char letter = shortJsonEscape(character)) {
            m_bytes += '\\';
            m_bytes += letter;
        } else if (ControlEscapes::isEscaped(character)
            || (QChar::isSurrogate(character) && !completesPair(text, index))) {
            // A lone surrogate has no UTF-8 form; the escape keeps it, which is also
            // how a name byte that is not UTF-8 (\udcXX) reads back.
            appendUnicodeEscape(character);
        } else {
            appendCodeUnits(text, index);
        }
    }
    m_bytes += '"';
}

void OutputBuffer::appendNumber(qint64 number)
{
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
    m_bytes.append(digits, end);
}

void OutputBuffer::appendHex8(quint32 number)
{
    for (int shift = 28; shift >= 0; shift -= 4)
        m_bytes += kHexDigits[(number >> shift) & 0xF];
}

bool OutputBuffer::finish()
{
    if (!m_bytes.empty()
        && std::fwrite(m_bytes.data(), 1, m_bytes.size(), m_stream) != m_bytes.size())
        m_failed = true;
    m_bytes.clear();
    return std::fflush(m_stream) == 0 && !m_failed;
}

// Copies the run of printable ASCII from index on, most of every name and field, in one
// step; in JSON the quote and the backslash end it too. Returns where the run ends.
qsizetype OutputBuffer::appendPrintableAscii(QStringView text, qsizetype index, bool json)
{
    qsizetype end = index;
    while (end < text.size() && isPrintableAscii(text[end].unicode(), json))
        ++end;
    const size_t start = m_bytes.size();
    m_bytes.resize(start + size_t(end - index));
    char* out = m_bytes.data() + start;
    for (qsizetype copied = index; copied < end; ++copied)
        *out++ = char(text[copied].unicode());
    return end;
}

// One character as UTF-8, a surrogate pair as one: index moves past what was written.
// A lone surrogate is written as QString writes it.
void OutputBuffer::appendCodeUnits(QStringView text, qsizetype& index)
{
    const char16_t unit = text[index].unicode();
    if (unit < 0x80) {
        m_bytes += char(unit);
    } else if (unit < 0x800) {
        m_bytes += char(0xC0 | (unit >> 6));
        m_bytes += char(0x80 | (unit & 0x3F));
    } else if (!QChar::isSurrogate(unit)) {
        m_bytes += char(0xE0 | (unit >> 12));
        m_bytes += char(0x80 | ((unit >> 6) & 0x3F));
        m_bytes += char(0x80 | (unit & 0x3F));
    } else if (completesPair(text, index)) {
        const char32_t point = QChar::surrogateToUcs4(unit, text[++index].unicode());
        m_bytes += char(0xF0 | (point >> 18));
        m_bytes += char(0x80 | ((point >> 12) & 0x3F));
        m_bytes += char(0x80 | ((point >> 6) & 0x3F));
        m_bytes += char(0x80 | (point & 0x3F));
    } else {
        m_bytes += text.mid(index, 1).toUtf8().toStdString();
    }
}

void OutputBuffer::appendUnicodeEscape(char16_t character)
{
    m_bytes += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        m_bytes += kHexDigits[(character >> shift) & 0xF];
}

void OutputBuffer::endItem()
{
    if (m_bytes.size() < m_chunkSize)
        return;
    if (std::fwrite(m_bytes.data(), 1, m_bytes.size(), m_stream) != m_bytes.size())
        m_failed = true;
    m_bytes.clear();
}
