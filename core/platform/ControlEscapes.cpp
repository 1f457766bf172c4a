#include "platform/ControlEscapes.h"

#include "platform/FileNames.h"

namespace ControlEscapes {

bool isEscaped(char16_t character)
{
    return character < 0x20 || (character >= 0x7f && character <= 0x9f)
        || (character >= 0x202a && character <= 0x202e)
        || (character >= 0x2066 && character <= 0x2069);
}

QString escapeControls(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const char16_t character = text[index].unicode();
        if (isEscaped(character) || FileNames::isEscapedByte(text, index))
            result += QStringLiteral("\\u%1").arg(character, 4, 16, QLatin1Char('0'));
        else
            result += QChar(character);
    }
    return result;
}

}
