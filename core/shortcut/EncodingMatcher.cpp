#include "shortcut/EncodingMatcher.h"

#include "shortcut/EncodingRepair.h"

#include <algorithm>

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char byte) { return quint8(byte) < 0x80; });
}

}

EncodingMatcher::EncodingMatcher(const EncodingRepair& repair, QByteArrayView bytes)
    : m_repair(repair)
    , m_bytes(bytes)
    , m_ascii(isAscii(bytes))
    , m_normalTexts(repair.candidates().size())
{
}

std::optional<quint32> EncodingMatcher::matchingEncoding(const QString& hint)
{
    const QString normalHint = hint.normalized(QString::NormalizationForm_C);
    const auto candidates = m_repair.candidates();
    bool asciiTextRejected = false;
    for (size_t index = 0; index < candidates.size(); ++index) {
        // Too many bytes for the hint: no decoding of them can be its tail.
        if (m_repair.shortestNormalLength(index, m_bytes.size()) > normalHint.size())
            continue;
        // ASCII bytes read alike in every code page that keeps ASCII: one rejection is all.
        const bool asciiText = m_ascii && m_repair.keepsAscii(index);
        if (asciiText && asciiTextRejected)
            continue;
        const std::optional<QString>& text = normalText(index);
        if (!text)
            continue;
        if (text->size() <= normalHint.size()
            && QStringView(normalHint).last(text->size()) == *text)
            return candidates[index];
        asciiTextRejected = asciiTextRejected || asciiText;
    }
    return std::nullopt;
}

const std::optional<QString>& EncodingMatcher::normalText(size_t candidate)
{
    std::optional<std::optional<QString>>& cached = m_normalTexts[candidate];
    if (!cached)
        cached = m_repair.normalCandidateText(candidate, m_bytes);
    return *cached;
}
