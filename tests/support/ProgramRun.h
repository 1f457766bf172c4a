#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

// What a program the test ran did.
struct ProgramRun {
    // The program's exit code; -1 when it did not exit by itself (it crashed, was killed
    // or did not start).
    int exitCode = -1;
    bool exitedNormally = false;
    QString output;
    // What the program wrote to stderr, or why it did not start.
    QString errors;

    // What a process that has ended did.
    static ProgramRun of(QProcess& process);
};

// Runs a program to its end (killing it after two minutes) with the given environment;
// the modifier, when given, runs in the child before the program starts.
ProgramRun runProgram(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
    const std::function<void()>& childModifier = {});

// Waits until the running program prints the given line; false when it ends or stays
// silent for the timeout.
bool waitForLine(QProcess& process, const QString& line, int timeoutMilliseconds = 60000);
