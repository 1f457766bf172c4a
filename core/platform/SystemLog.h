#pragma once

#include <QString>

#include <functional>

// Kestrova's diagnostics: free-text lines in the system log (syslog(3), so the
// journal), copied to stderr when stderr is a terminal or KESTROVA_VERBOSE is 1.
// Control characters in a line are escaped (ControlEscapes). There are no levels.
namespace SystemLog {

void write(const QString& line);

// Tests and tools that want the lines themselves install a sink; while one is set,
// nothing goes to syslog or stderr. Returns the sink it replaces.
using Sink = std::function<void(const QString& line)>;
Sink setSink(Sink sink);

}
