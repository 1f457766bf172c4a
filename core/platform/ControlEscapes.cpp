#include "platform/ControlEscapes.h"

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
    for (const QChar character : text) {
        if (isEscaped(character.unicode()))
            result += QStringLiteral("\\u%1").arg(character.unicode(), 4, 16, QLatin1Char('0'));
        else
            result += character;
    }
    return result;
}

}
