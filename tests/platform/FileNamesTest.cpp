#include "platform/FileNames.h"

#include "platform/ControlEscapes.h"

#include <QList>

#include <gtest/gtest.h>

#include <random>

namespace {

// Names as they come from old shares, archives and hostile hands: every byte must come
// back, and valid UTF-8 must decode as UTF-8 does.
TEST(FileNames, EveryNameComesBackByteForByte)
{
    const QList<QByteArray> names = {"", "plain.lnk", "caf\xe9.lnk", "\xc3\xa9t\xe9",
        "\xc0\xaf overlong", "\xed\xa0\x80 surrogate", "\xf4\x90\x80\x80 beyond", "cut \xe2\x82",
        "\x80 stray", "\xff\xfe", "\xf0\x9f\x98\x80 emoji", "\xf0\x90\x82\x80\xe9 pair then byte"};
    for (const QByteArray& name : names) {
        SCOPED_TRACE(name.toHex().toStdString());
        const QString decoded = FileNames::decode(name);
        EXPECT_EQ(FileNames::encode(decoded), name);
        if (QByteArrayView(name).isValidUtf8()) {
            EXPECT_EQ(decoded, QString::fromUtf8(name));
        }
    }
    // Random bytes, most of them invalid UTF-8 somewhere.
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        QByteArray name(qsizetype(random() % 9), '\0');
        for (char& byte : name)
            byte = char(random() % 256);
        ASSERT_EQ(FileNames::encode(FileNames::decode(name)), name) << name.toHex().toStdString();
    }
}

// A terminal shows a kept byte escaped, and leaves a real character whose UTF-16 form
// ends in the same range alone.
TEST(FileNames, KeptBytesShowEscaped)
{
    EXPECT_EQ(ControlEscapes::escapeControls(FileNames::decode("caf\xe9.lnk")),
        QStringLiteral("caf\\udce9.lnk"));
    const QString pair = FileNames::decode("\xf0\x90\x82\x80");
    EXPECT_EQ(ControlEscapes::escapeControls(pair), pair);
}

}
