#pragma once

#include <QString>

#include <optional>

// What a rich-text selection holds for the open-link service: its characters, and the
// target of its first hyperlink in reading order.
struct RichTextContent {
    QString plainText;
    std::optional<QString> firstLink;
};
