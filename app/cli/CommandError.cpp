#include "cli/CommandError.h"

#include "cli/CliCommand.h"
#include "platform/ControlEscapes.h"

#include <cstdio>

namespace CommandError {
namespace {

void printLine(const QString& line)
{
    // Flushed first so that a terminal shows the errors among the output lines in order.
    (void)std::fflush(stdout);
    const QByteArray utf8 = ControlEscapes::escapeControls(line).toUtf8();
    (void)std::fprintf(stderr, "%s\n", utf8.constData());
}

}

void print(QAnyStringView command, const QString& file, const QString& reason)
{
    printLine(QStringLiteral("kestrova: %1: %2: %3").arg(command.toString(), file, reason));
}

void print(QAnyStringView command, const QString& reason)
{
    printLine(QStringLiteral("kestrova: %1: %2").arg(command.toString(), reason));
}

int usage(QAnyStringView command, const QString& reason)
{
    print(command, QStringLiteral("%1 (see kestrova help %2)").arg(reason, command.toString()));
    return ExitUsage;
}

}
