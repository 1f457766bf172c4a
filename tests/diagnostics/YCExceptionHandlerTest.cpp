#include "diagnostics/YCExceptionHandler.h"

#include "diagnostics/CtimeLine.h"
#include "diagnostics/ExceptionLog.h"
#include "diagnostics/ReportBuffer.h"
#include "diagnostics/ThrowHook.h"
#include "support/Files.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The reports of an exception log file, each without its closing "\n\n" and last newline;
// a last report that is not whole is "(unfinished report)".
QStringList exceptionReports(const QString& logPath)
{
    QStringList reports = QString::fromUtf8(readFile(logPath)).split(u"\n\n\n"_s);
    if (reports.takeLast() != QString())
        reports << u"(unfinished report)"_s;
    return reports;
}

// Whether report is one of an exception of this type and reason, with a numbered trace.
bool hasReportLayout(const QString& report, const QString& type, const QString& reason)
{
    static const QRegularExpression layout(QStringLiteral(
        "^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
        "[ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\n"
        "An exception of type (.*) occured: (.*)\nStack trace:\n( +[0-9]+\t[^\n]*\n)+$"));
    const QRegularExpressionMatch match = layout.match(report + QLatin1Char('\n'));
    return match.hasMatch() && match.captured(3) == type && match.captured(4) == reason;
}

[[gnu::noinline]] void dereferenceNullForTheLog()
{
    // Volatile both ways, so that the compiler keeps the store.
    volatile int* volatile nothing = nullptr;
    *nothing = 1; // NOLINT(clang-analyzer-core.NullDereference)
}

[[gnu::noinline]] void abortForTheLog()
{
    std::abort();
}

[[gnu::noinline]] void throwUncaughtForTheLog()
{
    throw std::logic_error("nobody catches this");
}

[[gnu::noinline]] void terminateForTheLog()
{
    std::terminate();
}

struct FatalCase {
    const char* name;
    void (*end)();
    int signal;
    const char* type;
    const char* reason;
    const char* function;
};

// Each case ends the child process of a death test with the log installed; the one
// report it leaves names the function that ended it.
const FatalCase fatalCases[] = {
    {"NullDereference", dereferenceNullForTheLog, SIGSEGV, "SIGSEGV",
        "Invalid memory reference at address 0x0", "dereferenceNullForTheLog"},
    {"Abort", abortForTheLog, SIGABRT, "SIGABRT", "Abort signal", "abortForTheLog"},
    {"UncaughtException", throwUncaughtForTheLog, SIGABRT, "std::logic_error",
        "nobody catches this", "throwUncaughtForTheLog"},
    {"TerminateWithoutException", terminateForTheLog, SIGABRT, "std::terminate",
        "called without an active exception", "terminateForTheLog"},
};

// noexcept, so that an exception thrown in it is uncaught for certain.
[[noreturn]] void endWithTheLogInstalled(const QString& path, const FatalCase& fatal) noexcept
{
    const rlimit noCoreFile {0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);
    ExceptionLog::install(path);
    fatal.end();
    std::_Exit(0);
}

TEST(FatalSignals, LeaveOneReportAndEndTheProcessAsWithoutTheLog)
{
    for (const FatalCase& fatal : fatalCases) {
        SCOPED_TRACE(fatal.name);
#if defined(__SANITIZE_ADDRESS__)
        // AddressSanitizer takes SIGSEGV for its own report, then exits with its own status.
        if (fatal.signal == SIGSEGV)
            continue;
#endif
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const QString path = folder.filePath(u"kestrova/exceptions.log"_s);
        EXPECT_EXIT(endWithTheLogInstalled(path, fatal), testing::KilledBySignal(fatal.signal), "");
        const QStringList reports = exceptionReports(path);
        ASSERT_EQ(reports.size(), 1) << reports.join(u"\n----\n"_s).toStdString();
        EXPECT_TRUE(hasReportLayout(
            reports[0], QString::fromUtf8(fatal.type), QString::fromUtf8(fatal.reason)))
            << reports[0].toStdString();
        EXPECT_TRUE(reports[0].contains(QString::fromUtf8(fatal.function)))
            << reports[0].toStdString();
    }
}

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
class ThrowReports : public testing::Test {
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

// Threads throwing at once write whole reports too.
TEST_F(ThrowReports, ReportsEachThrowInOrderAndLetsItReachItsHandler)
{
    const QString path = m_folder.filePath(u"state/kestrova/exceptions.log"_s);
    installHandler(path);
    EXPECT_THROW(throwRuntimeErrorForTheLog("first failure"), std::runtime_error);
    try {
        throwOwnTypeForTheLog();
    } catch (const DistinctiveError& error) {
        EXPECT_EQ(error.code, 7);
    }
    std::vector<std::thread> threads(2);
    for (std::thread& thread : threads) {
        thread = std::thread([] {
            for (int round = 0; round < 2; ++round)
                EXPECT_THROW(throwRuntimeErrorForTheLog("from a thread"), std::runtime_error);
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    const QStringList reports = exceptionReports(path);
    ASSERT_EQ(reports.size(), 6) << path.toStdString();
    EXPECT_TRUE(hasReportLayout(reports[0], u"std::runtime_error"_s, u"first failure"_s))
        << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(u"throwRuntimeErrorForTheLog"_s));
    EXPECT_TRUE(reports[0].contains(u"YCExceptionHandlerTest.cpp:"_s));
    EXPECT_TRUE(
        hasReportLayout(reports[1], u"(anonymous namespace)::DistinctiveError"_s, QString()))
        << reports[1].toStdString();
    EXPECT_TRUE(reports[1].contains(u"throwOwnTypeForTheLog"_s));
    for (const QString& report : reports.mid(2)) {
        EXPECT_TRUE(hasReportLayout(report, u"std::runtime_error"_s, u"from a thread"_s))
            << report.toStdString();
    }
}

// A log folder that cannot be made is said in the system log. With no descriptor left for
// the command's pipes, the report says so in place of the exception and its trace.
TEST_F(ThrowReports, WhatCannotBeDoneIsSaid)
{
    const QString unmade = writeFile(m_folder.filePath(u"file"_s)) + u"/kestrova/exceptions.log"_s;
    installHandler(unmade);
    const LogCapture log;
    EXPECT_THROW(throwRuntimeErrorForTheLog("unlogged"), std::runtime_error);
    EXPECT_EQ(log.lines(), QStringList {u"Could not open log file "_s + unmade});
    EXPECT_FALSE(QFile::exists(unmade));
    const QString path = m_folder.filePath(u"exceptions.log"_s);
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
    EXPECT_TRUE(lines[1].startsWith(u"Could not run command eu-addr2line --pid="_s
        + QString::number(getpid()) + u" -f -C 0x"_s))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(u" | c++filt | cat -n"_s)) << lines[1].toStdString();
}

std::string ctimeLine(std::time_t when, long utcOffsetSeconds)
{
    char storage[64];
    ReportBuffer line(storage, sizeof storage);
    CtimeLine::append(line, CtimeLine::civilTime(when, utcOffsetSeconds));
    return std::string(line.data(), line.size());
}

// The C library's own reckoning of the same moment, as the reference.
std::string libraryLine(std::time_t when, long utcOffsetSeconds)
{
    const std::time_t shifted = when + utcOffsetSeconds;
    std::tm time {};
    gmtime_r(&shifted, &time);
    char line[64];
    return asctime_r(&time, line);
}

TEST(CtimeLine, MatchesTheLibraryAcrossLeapYearsAndCenturies)
{
    const std::time_t moments[] = {0, -1, 951782399, 951782400, 4107542399, 4107542400, 1709164800,
        2147483647, 253402214400, -2208988800};
    const long offsets[] = {0, 3600, -18000, 19800};
    for (std::time_t moment : moments) {
        for (long offset : offsets)
            EXPECT_EQ(ctimeLine(moment, offset), libraryLine(moment, offset))
                << moment << " " << offset;
    }
    EXPECT_EQ(ctimeLine(0, 0), "Thu Jan  1 00:00:00 1970\n");
}

TEST(ReportBuffer, KeepsRoomForTheClosingWhenTheTextOverflows)
{
    char storage[8];
    ReportBuffer report(storage, sizeof storage);
    report.append("0123456789");
    report.appendHex(0xABC);
    report.appendClosing("\n\n");
    EXPECT_EQ(std::string(report.data(), report.size()), "012345\n\n");
}

}
