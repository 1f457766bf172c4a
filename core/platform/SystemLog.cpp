#include "platform/SystemLog.h"

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

void writeToSyslog(const QByteArray& utf8)
{
    static const bool opened = [] {
        openlog("kestrova", LOG_PID, LOG_USER);
        return true;
    }();
    (void)opened;
    // The line is data, never a format.
    syslog(LOG_INFO, "%s", utf8.constData());
}

}

void write(const QString& line)
{
    if (const Sink& sink = currentSink()) {
        sink(line);
        return;
    }
    const QByteArray utf8 = line.toUtf8();
    writeToSyslog(utf8);
    static const bool stderrIsTerminal = isatty(STDERR_FILENO) == 1;
    if (stderrIsTerminal)
        (void)std::fprintf(stderr, "kestrova: %s\n", utf8.constData());
}

Sink setSink(Sink sink)
{
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

}
