#include "diagnostics/YCExceptionHandler.h"

#include "ExceptionReports.h"
#include "diagnostics/ThrowHook.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace {

struct DistinctiveError {
    int code;
};

[[gnu::noinline]] void throwRuntimeErrorForTheLog(const char* reason)
{
    throw std::runtime_error(reason);
}

[[gnu::noinline]] void throwOwnTypeForTheLog()
{
    throw DistinctiveError {7};
}

// Reports go to the handler while a test lives, to nothing after it.
class ThrowHookTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    void TearDown() override { ThrowHook::install(nullptr); }

    void installHandler(const QString& path)
    {
        m_handler = std::make_unique<YCExceptionHandler>(path);
        ThrowHook::install(m_handler.get());
    }

    QTemporaryDir m_folder;
    std::unique_ptr<YCExceptionHandler> m_handler;
};

using ExceptionLog = ThrowHookTest;

TEST_F(ExceptionLog, ReportsEachThrowInOrderAndLetsItReachItsHandler)
{
    const QString path = m_folder.filePath(QStringLiteral("state/kestrova/exceptions.log"));
    installHandler(path);
    EXPECT_THROW(throwRuntimeErrorForTheLog("first failure"), std::runtime_error);
    try {
        throwOwnTypeForTheLog();
    } catch (const DistinctiveError& error) {
        EXPECT_EQ(error.code, 7);
    }

    const QStringList reports = exceptionReports(path);
    ASSERT_EQ(reports.size(), 2) << path.toStdString();
    EXPECT_TRUE(hasReportLayout(
        reports[0], QStringLiteral("std::runtime_error"), QStringLiteral("first failure")))
        << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("throwRuntimeErrorForTheLog")));
    EXPECT_TRUE(reports[0].contains(QStringLiteral("YCExceptionHandlerTest.cpp:")));
    EXPECT_TRUE(hasReportLayout(
        reports[1], QStringLiteral("(anonymous namespace)::DistinctiveError"), QString()))
        << reports[1].toStdString();
    EXPECT_TRUE(reports[1].contains(QStringLiteral("throwOwnTypeForTheLog")));
}

TEST_F(ExceptionLog, ThreadsThrowingAtOnceWriteWholeReports)
{
    const QString path = m_folder.filePath(QStringLiteral("exceptions.log"));
    installHandler(path);
    std::vector<std::thread> threads(2);
    for (std::thread& thread : threads) {
        thread = std::thread([] {
            for (int round = 0; round < 2; ++round) {
                try {
                    throwRuntimeErrorForTheLog("from a thread");
                } catch (const std::runtime_error&) {
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    const QStringList reports = exceptionReports(path);
    ASSERT_EQ(reports.size(), 4);
    for (const QString& report : reports) {
        EXPECT_TRUE(hasReportLayout(
            report, QStringLiteral("std::runtime_error"), QStringLiteral("from a thread")))
            << report.toStdString();
    }
}

TEST_F(ExceptionLog, FolderThatCannotBeMadeIsSaidInTheSystemLog)
{
    QFile blocker(m_folder.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString path = blocker.fileName() + QStringLiteral("/kestrova/exceptions.log");
    installHandler(path);
    const LogCapture log;
    EXPECT_THROW(throwRuntimeErrorForTheLog("unlogged"), std::runtime_error);
    EXPECT_EQ(log.lines(), QStringList {QStringLiteral("Could not open log file ") + path});
    EXPECT_FALSE(QFile::exists(path));
}

// With no descriptor left for the command's pipes, the report says so in place of the
// exception and its trace.
TEST_F(ExceptionLog, CommandThatCannotStartIsNamedInTheReport)
{
    const QString path = m_folder.filePath(QStringLiteral("exceptions.log"));
    installHandler(path);
    rlimit descriptors {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &descriptors), 0);
    const rlimit fewDescriptors {256, descriptors.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &fewDescriptors), 0);
    std::vector<int> filler;
    for (int descriptor = dup(STDIN_FILENO); descriptor >= 0; descriptor = dup(STDIN_FILENO))
        filler.push_back(descriptor);
    // Two left: one for the log file, one short of a pipe. (The sanitizers borrow a pipe
    // for a moment to check memory, and give it back.)
    ASSERT_GE(filler.size(), 2U);
    for (int left = 0; left < 2; ++left) {
        close(filler.back());
        filler.pop_back();
    }
    EXPECT_THROW(throwRuntimeErrorForTheLog("no pipes"), std::runtime_error);
    for (int descriptor : filler)
        close(descriptor);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &descriptors), 0);

    const QStringList reports = exceptionReports(path);
    ASSERT_EQ(reports.size(), 1);
    const QStringList lines = reports[0].split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << reports[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Could not run command eu-addr2line --pid=")
        + QString::number(getpid()) + QStringLiteral(" -f -C 0x")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" | c++filt | cat -n"))) << lines[1].toStdString();
}

}
