#include "platform/FileNames.h"

namespace FileNames {
namespace {

constexpr char16_t escapeBase = 0xdc00;

bool isContinuation(uchar byte)
{
    return (byte & 0xc0) == 0x80;
}

// The length of the valid UTF-8 sequence at index, or 0 when the byte there starts
// none (a stray continuation, an overlong form, a surrogate, beyond U+10FFFF, cut short).
qsizetype sequenceLength(QByteArrayView name, qsizetype index)
{
    const auto at = [&](qsizetype offset) { return uchar(name[index + offset]); };
    const uchar lead = at(0);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    uchar low = 0x80;
    uchar high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (index + length > name.size() || at(1) < low || at(1) > high)
        return 0;
    for (qsizetype offset = 2; offset < length; ++offset)
        if (!isContinuation(at(offset)))
            return 0;
    return length;
}

bool isEscapeCharacter(char16_t character)
{
    return character >= escapeBase + 0x80 && character <= escapeBase + 0xff;
}

}

QString decode(QByteArrayView name)
{
    if (name.isValidUtf8())
        return QString::fromUtf8(name);
    QString result;
    result.reserve(name.size());
    qsizetype runStart = 0;
    qsizetype index = 0;
    while (index < name.size()) {
        const qsizetype length = sequenceLength(name, index);
        if (length > 0) {
            index += length;
            continue;
        }
        result += QString::fromUtf8(name.sliced(runStart, index - runStart));
        result += QChar(char16_t(escapeBase + uchar(name[index])));
        runStart = ++index;
    }
    result += QString::fromUtf8(name.sliced(runStart));
    return result;
}

bool isEscapedByte(QStringView text, qsizetype index)
{
    return isEscapeCharacter(text[index].unicode())
        && (index == 0 || !text[index - 1].isHighSurrogate());
}

QByteArray encode(const QString& name)
{
    QByteArray result;
    qsizetype runStart = 0;
    const char16_t* units = reinterpret_cast<const char16_t*>(name.constData());
    for (qsizetype index = 0; index < name.size(); ++index) {
        // The range test first: it rules out nearly every character of a name at once.
        if (!isEscapeCharacter(units[index]) || !isEscapedByte(name, index))
            continue;
        result += QStringView(name).sliced(runStart, index - runStart).toUtf8();
        result += char(name[index].unicode() - escapeBase);
        runStart = index + 1;
    }
    if (runStart == 0)
        return name.toUtf8();
    result += QStringView(name).sliced(runStart).toUtf8();
    return result;
}

}
