#pragma once

#include "platform/FileNames.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstddef>

class ReportBuffer;
class StackTrace;

// Appends a report of each exception it is given to a log file, so that a user can send
// one file that says what went wrong and where. A report is the time in the form of
// ctime(3), "An exception of type TYPE occured: REASON", "Stack trace:" and what the
// symbolising command writes for the trace (or "Could not run command COMMAND" when it
// cannot be started), then two newlines. The file is opened for appending for each report
// and closed again; its folder is made when it is missing. Each report goes into the file
// with one write, so reports of threads that fail at once never mix. Writing a report
// never throws and never changes errno.
class YCExceptionHandler {
public:
    explicit YCExceptionHandler(const QString& path);
    YCExceptionHandler(const YCExceptionHandler&) = delete;
    YCExceptionHandler& operator=(const YCExceptionHandler&) = delete;

    QString path() const { return FileNames::decode(m_path); }

    // Reports an exception seen by the throw hook or std::terminate; type and reason in
    // UTF-8. A log file that cannot be opened is said in the system log ("Could not open
    // log file PATH"). Gives true, as the exception goes on as it would have.
    bool shouldLogException(const char* type, const char* reason, const StackTrace& trace);

    // The same from a signal handler: allocates nothing and takes no lock, building the
    // report in storage (which nothing else may use meanwhile); a log file that cannot be
    // opened is said on stderr, since the system log cannot be reached from a signal
    // handler.
    void logFatalSignal(const char* type, const char* reason, const StackTrace& trace,
        char* storage, std::size_t capacity);

private:
    enum class Outcome { Written, NotOpened };

    Outcome writeReport(const char* type, const char* reason, const StackTrace& trace,
        ReportBuffer& report, long utcOffsetSeconds);
    int openLogFile() const;
    void makeFolders() const;

    QByteArray m_path;
    // Kept from the last report written outside a signal handler, where the time-zone
    // database may be read.
    std::atomic<long> m_utcOffsetSeconds;
};
