#include "text/PercentEscapes.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct EscapeCase {
    const char* text;
    std::optional<QString> decoded;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const EscapeCase& testCase, std::ostream* out)
{
    *out << testCase.text;
}

class PercentDecoding : public testing::TestWithParam<EscapeCase> { };

}

TEST_P(PercentDecoding, DecodesAsciiEscapesOnly)
{
    EXPECT_EQ(
        PercentEscapes::decodeAsAscii(QString::fromUtf8(GetParam().text)), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(Cases, PercentDecoding,
    testing::Values(
        EscapeCase {"\\\\fs1\\share\\a%20b.doc", QStringLiteral("\\\\fs1\\share\\a b.doc")},
        EscapeCase {"file://fs1/s/%41%7e%7E", QStringLiteral("file://fs1/s/A~~")},
        EscapeCase {"%2525", QStringLiteral("%25")},
        EscapeCase {"50% off.doc", QStringLiteral("50% off.doc")},
        EscapeCase {"end%", QStringLiteral("end%")}, EscapeCase {"end%4", QStringLiteral("end%4")},
        EscapeCase {"%g0%0g", QStringLiteral("%g0%0g")},
        EscapeCase {"caf\xc3\xa9 stays", QStringLiteral("caf\u00e9 stays")},
        EscapeCase {"", QString()}, EscapeCase {"caf%C3%A9", std::nullopt},
        EscapeCase {"%80", std::nullopt}, EscapeCase {"%ff", std::nullopt},
        EscapeCase {"a%00b", std::nullopt}));
