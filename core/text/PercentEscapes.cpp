#include "text/PercentEscapes.h"

namespace {

int hexValue(QChar character)
{
    const char16_t code = character.unicode();
    if (code >= u'0' && code <= u'9')
        return code - u'0';
    if (code >= u'a' && code <= u'f')
        return code - u'a' + 10;
    if (code >= u'A' && code <= u'F')
        return code - u'A' + 10;
    return -1;
}

}

namespace PercentEscapes {

std::optional<QString> decodeAsAscii(const QString& text)
{
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar character = text[index];
        const int high = index + 2 < text.size() ? hexValue(text[index + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[index + 2]) : -1;
        if (character != QLatin1Char('%') || low < 0) {
            decoded += character;
            continue;
        }
        const int byte = high * 16 + low;
        if (byte == 0 || byte > 0x7F)
            return std::nullopt;
        decoded += QChar(byte);
        index += 2;
    }
    return decoded;
}

}
