#include "text/PercentEscapes.h"

#include "support/QtPrinters.h"

#include <QList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(PercentEscapes, DecodesAsciiEscapesOnly)
{
    const QList<QPair<const char*, std::optional<QString>>> rows = {
        {"\\\\fs1\\share\\a%20b.doc", u"\\\\fs1\\share\\a b.doc"_s},
        {"file://fs1/s/%41%7e%7E", u"file://fs1/s/A~~"_s}, {"%2525", u"%25"_s},
        {"50% off.doc", u"50% off.doc"_s}, {"end%", u"end%"_s}, {"end%4", u"end%4"_s},
        {"%g0%0g", u"%g0%0g"_s}, {"caf\xc3\xa9 stays", u"caf\u00e9 stays"_s}, {"", QString()},
        {"caf%C3%A9", std::nullopt}, {"%80", std::nullopt}, {"%ff", std::nullopt},
        {"a%00b", std::nullopt}};
    for (const auto& [text, decoded] : rows)
        EXPECT_EQ(PercentEscapes::decodeAsAscii(QString::fromUtf8(text)), decoded) << text;
}
