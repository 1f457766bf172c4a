#include "ExceptionReports.h"
#include "diagnostics/ExceptionLog.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <ostream>
#include <stdexcept>

namespace {

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

void PrintTo(const FatalCase& fatal, std::ostream* out)
{
    *out << fatal.name;
}

// noexcept, so that an exception thrown in it is uncaught for certain.
[[noreturn]] void endWithTheLogInstalled(const QString& path, const FatalCase& fatal) noexcept
{
    const rlimit noCoreFile {0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);
    ExceptionLog::install(path);
    fatal.end();
    std::_Exit(0);
}

class FatalSignals : public testing::TestWithParam<FatalCase> { };

TEST_P(FatalSignals, LeaveOneReportAndEndTheProcessAsWithoutTheLog)
{
    const FatalCase& fatal = GetParam();
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer takes SIGSEGV for its own report, then exits with its own status.
    if (fatal.signal == SIGSEGV)
        GTEST_SKIP() << "AddressSanitizer handles SIGSEGV itself";
#endif
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("kestrova/exceptions.log"));
    EXPECT_EXIT(endWithTheLogInstalled(path, fatal), testing::KilledBySignal(fatal.signal), "");

    const QStringList reports = exceptionReports(path);
    ASSERT_EQ(reports.size(), 1) << reports.join(QStringLiteral("\n----\n")).toStdString();
    EXPECT_TRUE(
        hasReportLayout(reports[0], QString::fromUtf8(fatal.type), QString::fromUtf8(fatal.reason)))
        << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QString::fromUtf8(fatal.function))) << reports[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ends, FatalSignals, testing::ValuesIn(fatalCases),
    [](const testing::TestParamInfo<FatalCase>& row) { return row.param.name; });

}
