#pragma once

#include <QString>

#include <optional>

namespace PercentEscapes {

// Replaces every escape %XX (two hex digits) by the ASCII character it encodes. None
// when an escape encodes a byte that is not ASCII (above 7F, as UTF-8 escapes such as
// %C3%A9 are) or a NUL, which no path can hold. A "%" that does not start an escape is
// kept as it stands, so a name like "50% off.doc" passes unchanged.
std::optional<QString> decodeAsAscii(const QString& text);

}
