#include "diagnostics/YCExceptionHandler.h"

#include "diagnostics/CtimeLine.h"
#include "diagnostics/ReportBuffer.h"
#include "diagnostics/StackTrace.h"
#include "diagnostics/SymbolisingCommand.h"
#include "platform/FileNames.h"
#include "platform/SystemLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <mutex>

namespace {

// Room for a trace of StackTrace::kMaxFrames calls, each named with its file, line and
// the functions inlined into it.
constexpr std::size_t kReportCapacity = std::size_t {256} * 1024;
// The folder is the user's own, as the XDG base directory rules ask of state folders,
// and the file names the user's files.
constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

long utcOffsetNow(std::time_t now)
{
    std::tm local {};
    return localtime_r(&now, &local) ? local.tm_gmtoff : 0;
}

void writeWhole(int file, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = write(file, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        size -= std::size_t(written);
    }
}

void writeToStderr(const char* text)
{
    writeWhole(STDERR_FILENO, text, std::strlen(text));
}

}

YCExceptionHandler::YCExceptionHandler(const QString& path)
    : m_path(FileNames::encode(path))
    , m_utcOffsetSeconds(utcOffsetNow(std::time(nullptr)))
{
}

bool YCExceptionHandler::shouldLogException(
    const char* type, const char* reason, const StackTrace& trace)
{
    const int savedErrno = errno;
    const long utcOffset = utcOffsetNow(std::time(nullptr));
    m_utcOffsetSeconds.store(utcOffset);
    // One report at a time: the report is long, and built in memory kept for it.
    static std::mutex reportLock;
    static char storage[kReportCapacity];
    Outcome outcome = Outcome::NotOpened;
    {
        const std::lock_guard lock(reportLock);
        ReportBuffer report(storage, sizeof storage);
        outcome = writeReport(type, reason, trace, report, utcOffset);
    }
    if (outcome == Outcome::NotOpened)
        SystemLog::write(QStringLiteral("Could not open log file %1").arg(path()));
    errno = savedErrno;
    return true;
}

void YCExceptionHandler::logFatalSignal(const char* type, const char* reason,
    const StackTrace& trace, char* storage, std::size_t capacity)
{
    const int savedErrno = errno;
    ReportBuffer report(storage, capacity);
    if (writeReport(type, reason, trace, report, m_utcOffsetSeconds.load()) == Outcome::NotOpened) {
        writeToStderr("kestrova: Could not open log file ");
        writeToStderr(m_path.constData());
        writeToStderr("\n");
    }
    errno = savedErrno;
}

YCExceptionHandler::Outcome YCExceptionHandler::writeReport(const char* type, const char* reason,
    const StackTrace& trace, ReportBuffer& report, long utcOffsetSeconds)
{
    makeFolders();
    const int file = openLogFile();
    if (file < 0)
        return Outcome::NotOpened;
    CtimeLine::append(report, CtimeLine::civilTime(std::time(nullptr), utcOffsetSeconds));
    SymbolisingCommand command(getpid(), trace);
    if (command.start()) {
        report.append("An exception of type ");
        report.append(type);
        report.append(" occured: ");
        report.append(reason);
        report.append("\nStack trace:\n");
        command.copyOutputTo(report);
    } else {
        report.append("Could not run command ");
        report.append(command.commandLine());
        report.append("\n");
    }
    report.appendClosing("\n\n");
    writeWhole(file, report.data(), report.size());
    (void)close(file);
    return Outcome::Written;
}

int YCExceptionHandler::openLogFile() const
{
    int file = -1;
    do {
        file = open(
            m_path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, kFileMode);
    } while (file < 0 && errno == EINTR);
    return file;
}

// Makes each missing folder above the file, the way mkdir -p does.
void YCExceptionHandler::makeFolders() const
{
    char folder[PATH_MAX];
    const auto length = std::size_t(m_path.size());
    if (length >= sizeof folder)
        return;
    std::memcpy(folder, m_path.constData(), length + 1);
    const char* const lastSlash = std::strrchr(folder, '/');
    for (char* slash = std::strchr(folder + 1, '/'); slash && slash <= lastSlash;
         slash = std::strchr(slash + 1, '/')) {
        *slash = '\0';
        (void)mkdir(folder, kFolderMode);
        *slash = '/';
    }
}
