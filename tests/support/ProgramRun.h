#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

// What a program the test ran did.
struct ProgramRun {
    // -1 when the program did not exit by itself (it crashed, was killed or did not start).
    int exitCode = -1;
    QString output;
    // What the program wrote to stderr, or why it did not start.
    QString errors;

    // What a process that has ended did.
    static ProgramRun of(QProcess& process);
};

// Runs a program to its end (killing it after two minutes); the modifier runs in the child.
ProgramRun runProgram(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
    const std::function<void()>& childModifier = {});

// Waits until the running program prints the line; false when it ends or the time is up.
bool waitForLine(QProcess& process, const QString& line, int timeoutMilliseconds = 60000);
