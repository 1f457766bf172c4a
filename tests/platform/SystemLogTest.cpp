#include "platform/SystemLog.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(SystemLog, SinkReceivesLinesVerbatim)
{
    QStringList lines;
    SystemLog::Sink previous = SystemLog::setSink([&](const QString& line) { lines << line; });
    // Text from a shortcut may hold printf directives; they stay text.
    SystemLog::write(QStringLiteral("Composed link is: %s%n%1 \\\\fs1\\share"));
    SystemLog::setSink(previous);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first(), QStringLiteral("Composed link is: %s%n%1 \\\\fs1\\share"));
}
