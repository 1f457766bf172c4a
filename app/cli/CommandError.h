#pragma once

#include <QAnyStringView>
#include <QString>

// The one way a command reports a failure on stderr:
//     kestrova: COMMAND: FILE: REASON
// or "kestrova: COMMAND: REASON" where no file is concerned. Names and reasons are
// escaped (ControlEscapes): a file name may hold anything. Needs Qt Core alone, like
// the light `kestrova` front that prints through it.
namespace CommandError {

inline const QString unknownCommand = QStringLiteral("unknown command (see kestrova --help)");

void print(QAnyStringView command, const QString& file, const QString& reason);
void print(QAnyStringView command, const QString& reason);

// A command line the command cannot run: the reason, where to read the usage, and
// ExitUsage to return.
int usage(QAnyStringView command, const QString& reason);

}
