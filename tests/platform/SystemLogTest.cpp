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

TEST(SystemLog, FormatDirectivesReachSyslogAsText)
{
    // Without a sink the line goes to syslog through "%s"; a directive in it must not
    // be read as one (that would crash or print stack contents).
    SystemLog::write(QStringLiteral("%s%s%s%n"));
    SUCCEED();
}
