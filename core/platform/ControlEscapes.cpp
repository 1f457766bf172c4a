#include "platform/ControlEscapes.h"

#include "platform/FileNames.h"

#include <iterator>

namespace ControlEscapes {
namespace {

constexpr char16_t kHexDigits[] = u"0123456789abcdef";

// Printable ASCII, nearly every character of a name or a log line, is decided by one
// comparison; only the rest is looked at closely.
bool needsEscape(QStringView text, qsizetype index)
{
    const char16_t character = text[index].unicode();
    if (character >= 0x20 && character < 0x7f)
        return false;
    return isEscaped(character) || FileNames::isEscapedByte(text, index);
}

qsizetype nextEscaped(QStringView text, qsizetype from)
{
    while (from < text.size() && !needsEscape(text, from))
        ++from;
    return from;
}

void appendEscape(QString& result, char16_t character)
{
    const char16_t escape[] = {u'\\', u'u', kHexDigits[character >> 12],
        kHexDigits[(character >> 8) & 0xf], kHexDigits[(character >> 4) & 0xf],
        kHexDigits[character & 0xf]};
    result.append(reinterpret_cast<const QChar*>(escape), std::size(escape));
}

}

bool isEscaped(char16_t character)
{
    return character < 0x20 || (character >= 0x7f && character <= 0x9f)
        || (character >= 0x202a && character <= 0x202e)
        || (character >= 0x2066 && character <= 0x2069);
}

QString escapeControls(const QString& text)
{
    qsizetype index = nextEscaped(text, 0);
    // Most texts hold nothing to escape: they are given back shared, not copied.
    if (index == text.size())
        return text;
    QString result;
    result.reserve(text.size() + 16);
    qsizetype runStart = 0;
    for (; index < text.size(); index = nextEscaped(text, runStart)) {
        result.append(QStringView(text).sliced(runStart, index - runStart));
        appendEscape(result, text[index].unicode());
        runStart = index + 1;
    }
    result.append(QStringView(text).sliced(runStart));
    return result;
}

}
