#pragma once

#include "support/QtPrinters.h"

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a run of the kestrova program did.
struct KestrovaRun {
    int exitCode = -1;
    bool exitedNormally = false;
    QString output;
    QString errors;
};

// Runs kestrova with the arguments to its end (a minute at most) while this process's
// event loop turns, so that an instance the test serves itself can answer it.
KestrovaRun runKestrova(const QStringList& arguments, const QProcessEnvironment& environment,
    const QString& workingDirectory = {});

// The environment of a terminal without a display, pointed at its own settings folder.
// Without a bus address given, the session bus is one that cannot be reached.
QProcessEnvironment terminalEnvironment(const QString& configHome,
    const QString& busAddress = QStringLiteral("unix:path=/nonexistent"));

// Waits, turning the event loop, until the name has an owner on the bus (or has none,
// when owned is false); false when the timeout passes first.
bool waitForNameOwner(
    QDBusConnection& bus, const QString& name, bool owned, int timeoutMilliseconds);

// Waits, turning the event loop, until the process ends; false when the timeout passes.
bool waitForEnd(QProcess& process, int timeoutMilliseconds);

// Writes the settings file of the domain under configHome.
void writeSettings(const QString& configHome, const QByteArray& json);
