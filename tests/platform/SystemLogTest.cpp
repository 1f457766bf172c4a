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
    EXPECT_EQ(lines, QStringList {QStringLiteral("Composed link is: %s%n%1 \\\\fs1\\share")});
}
