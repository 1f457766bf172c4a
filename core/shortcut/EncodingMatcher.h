#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

class EncodingRepair;

// Finds the code page in which one byte string spells the tail of each of many hints,
// as EncodingRepair::matchingEncoding does for one. The bytes are decoded at most once
// per code page, and only for hints long enough to hold their text: a long string and
// many short hints cost a length comparison each.
class EncodingMatcher {
public:
    // The bytes must outlive the matcher.
    EncodingMatcher(const EncodingRepair& repair, QByteArrayView bytes);

    std::optional<quint32> matchingEncoding(const QString& hint);

private:
    // The candidate's decoding in normal form C, decoded on first use.
    const std::optional<QString>& normalText(size_t candidate);

    const EncodingRepair& m_repair;
    QByteArrayView m_bytes;
    bool m_ascii;
    std::vector<std::optional<std::optional<QString>>> m_normalTexts;
};
