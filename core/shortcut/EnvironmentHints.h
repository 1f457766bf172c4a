#pragma once

#include "shortcut/EncodingMatcher.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// The environment targets of a shortcut, taken in file order, and what handling each in
// turn leaves of the encoding repair of the path bytes: the encoding of the last target
// the bytes spell the tail of, and every encoding that matched. Each target costs at
// most a comparison a code page, so that a file of many blocks reads in linear time.
class EnvironmentHints {
public:
    // The path bytes to repair, none where there is nothing to repair (a Unicode path or
    // none at all). The bytes must outlive the hints.
    explicit EnvironmentHints(std::optional<QByteArrayView> pathBytes);

    void take(const QString& target);

    // The last target taken.
    const std::optional<QString>& lastTarget() const { return m_lastTarget; }
    // The encoding of the last target that matched.
    std::optional<quint32> pathEncoding() const;
    // The encodings that matched, each once, the one that matched most recently last.
    const std::vector<quint32>& matchedEncodings() const { return m_matchedEncodings; }

private:
    std::optional<EncodingMatcher> m_matcher;
    std::optional<QString> m_lastTarget;
    std::vector<quint32> m_matchedEncodings;
};
