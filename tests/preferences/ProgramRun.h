#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

// What a program the test ran did.
struct ProgramRun {
    int exitCode = -1;
    bool exitedNormally = false;
    QString output;
    QString errors;
};

// Runs a program to its end (killing it after a minute) with the given environment;
// the modifier, when given, runs in the child before the program starts.
ProgramRun runProgram(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment, const std::function<void()>& childModifier = {});

// Waits until the running program prints the given line; false when it ends or stays
// silent for the timeout.
bool waitForLine(QProcess& process, const QString& line, int timeoutMilliseconds = 60000);
