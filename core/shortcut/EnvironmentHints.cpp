#include "shortcut/EnvironmentHints.h"

#include "shortcut/EncodingRepair.h"

#include <algorithm>

EnvironmentHints::EnvironmentHints(std::optional<QByteArrayView> pathBytes)
{
    if (pathBytes)
        m_matcher.emplace(EncodingRepair::shared(), *pathBytes);
}

void EnvironmentHints::take(const QString& target)
{
    m_lastTarget = target;
    if (!m_matcher)
        return;
    const std::optional<quint32> encoding = m_matcher->matchingEncoding(target);
    if (!encoding)
        return;
    std::erase(m_matchedEncodings, *encoding);
    m_matchedEncodings.push_back(*encoding);
}

std::optional<quint32> EnvironmentHints::pathEncoding() const
{
    if (m_matchedEncodings.empty())
        return std::nullopt;
    return m_matchedEncodings.back();
}
