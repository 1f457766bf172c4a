#pragma once

#include "support/ProgramRun.h"
#include "support/QtPrinters.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs kestrova with the arguments to its end (a minute at most) while this process's
// event loop turns, so that an instance the test serves itself can answer it.
ProgramRun runKestrova(const QStringList& arguments, const QProcessEnvironment& environment,
    const QString& workingDirectory);

// The environment of a terminal without a display, pointed at its own settings folder.
// Without a bus address given, the session bus is one that cannot be reached.
QProcessEnvironment terminalEnvironment(const QString& configHome,
    const QString& busAddress = QStringLiteral("unix:path=/nonexistent"));
