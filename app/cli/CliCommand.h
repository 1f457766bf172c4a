#pragma once

#include <QStringList>

#include <span>

// Exit statuses of every command: 0 success, 1 a usage error, 2 a failed operation.
enum ExitStatus : int {
    ExitSuccess = 0,
    ExitUsage = 1,
    ExitFailure = 2,
};

// One subcommand of `kestrova`. The table in CliCommands.cpp lists them all; main()
// dispatches on the first argument and `kestrova --help` prints the summaries.
struct CliCommand {
    const char* name = nullptr;
    const char* synopsis = nullptr; // arguments, as shown in the usage line
    const char* summary = nullptr; // one line for --help
    // Runs with the arguments after the command name; returns an ExitStatus.
    int (*run)(const QStringList& arguments) = nullptr;
    // Shows windows where there is a display, so runs under a QApplication there.
    bool wantsDisplay = false;
    // Hands its request to the running instance first, and makes the application only
    // when it ends up serving the request itself.
    bool handsOver = false;
    // What `kestrova help NAME` adds to the summary, lines as they stand.
    const char* details = nullptr;
};

std::span<const CliCommand> cliCommands();
const CliCommand* findCliCommand(const QString& name);
