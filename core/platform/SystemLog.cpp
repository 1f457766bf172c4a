#include "platform/SystemLog.h"

#include "platform/ControlEscapes.h"

#include <syslog.h>
#include <unistd.h>

#include <cstdio>

namespace SystemLog {
namespace {

Sink& currentSink()
{
    static Sink sink;
    return sink;
}

// Where no log daemon listens, syslog(3) tries to connect anew on every line and drops
// it; a run over thousands of files would pay for that thousands of times. So the socket
// is looked for once per process and, where it is there, connected at once and kept.
bool hasSystemLog()
{
    static const bool present = [] {
        if (::access(_PATH_LOG, F_OK) != 0)
            return false;
        openlog("kestrova", LOG_PID | LOG_NDELAY, LOG_USER);
        return true;
    }();
    return present;
}

void writeToSyslog(const QByteArray& utf8)
{
    if (!hasSystemLog())
        return;
    // The line is data, never a format.
    syslog(LOG_INFO, "%s", utf8.constData());
}

// Steps are worth seeing in a terminal; in a file manager's log they are noise. Scripts
// and demos that keep stderr ask for them with KESTROVA_VERBOSE=1.
bool copiesToStderr()
{
    static const bool copies = isatty(STDERR_FILENO) == 1
        || qEnvironmentVariable("KESTROVA_VERBOSE") == QLatin1String("1");
    return copies;
}

}

void write(const QString& line)
{
    // Lines carry names from shortcuts and file systems: one line stays one line.
    const QString escaped = ControlEscapes::escapeControls(line);
    if (const Sink& sink = currentSink()) {
        sink(escaped);
        return;
    }
    // Where no one reads the line, it is not converted either: info over thousands of
    // files that are no shortcut logs a line for each.
    if (!hasSystemLog() && !copiesToStderr())
        return;
    const QByteArray utf8 = escaped.toUtf8();
    writeToSyslog(utf8);
    if (copiesToStderr())
        (void)std::fprintf(stderr, "kestrova: %s\n", utf8.constData());
}

Sink setSink(Sink sink)
{
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

}
