#include "cli/HelpCommand.h"

#include "cli/CliCommand.h"
#include "cli/CommandError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr qsizetype helpWidth = 78;
constexpr auto summaryIndent = "      ";

// The text broken at spaces into lines that fit the width after the indent.
QString wrapped(const QString& text, const char* indent)
{
    QString result;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty()
            && qsizetype(qstrlen(indent)) + line.size() + 1 + word.size() > helpWidth) {
            result += QLatin1String(indent) + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return result + QLatin1String(indent) + line + QLatin1Char('\n');
}

// Where the script that adds the file-manager actions lies once Kestrova is installed.
QString actionsScript()
{
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath()
        + QLatin1Char('/') + QLatin1String(KESTROVA_ACTIONS_SCRIPT_FROM_APP));
    return QFileInfo::exists(installed)
        ? installed
        : QStringLiteral("share/kestrova/file-managers/enable-user-actions.sh (below the folder "
                         "Kestrova is installed in)");
}

QString usageLine(const CliCommand& command)
{
    const QString synopsis = QLatin1String(command.synopsis);
    return QLatin1String(command.name)
        + (synopsis.isEmpty() ? QString() : QLatin1Char(' ') + synopsis);
}

void printCommands(QTextStream& out)
{
    out << "Usage: kestrova COMMAND [ARGUMENTS...]\n\n"
           "Opens Windows shortcuts (.lnk) and Windows paths on the file servers they name.\n\n"
           "Commands:\n";
    for (const CliCommand& command : cliCommands())
        out << "  " << usageLine(command) << '\n'
            << wrapped(QLatin1String(command.summary), summaryIndent);
    out << "\n"
        << wrapped(
               QStringLiteral("open, open-link and copy-path hand their request to the running "
                              "instance of the session (kestrova service, which D-Bus starts), or "
                              "serve it themselves when there is none. Where there is a display, "
                              "failures are shown as alerts; each is also printed on stderr as "
                              "TITLE: MESSAGE. Each step (read, mounted, opened with) goes to the "
                              "system log, and to stderr as well when stderr is a terminal or "
                              "KESTROVA_VERBOSE=1. Exit status: 0 success, 1 usage error, 2 "
                              "failure."),
               "")
        << "\n"
        << wrapped(QStringLiteral("Nemo and Dolphin show \"Open Windows Link\" and \"Copy Windows "
                                  "Path\" once Kestrova is installed; Nautilus and Thunar read "
                                  "such actions only from the user's own folders, which %1 fills.")
                       .arg(actionsScript()),
               "");
}

}

int runHelpCommand(const QStringList& arguments)
{
    QTextStream out(stdout);
    if (arguments.isEmpty()) {
        printCommands(out);
        return ExitSuccess;
    }
    const CliCommand* command = findCliCommand(arguments.first());
    if (!command) {
        CommandError::print("help", arguments.first(), CommandError::unknownCommand);
        return ExitUsage;
    }
    out << "Usage: kestrova " << usageLine(*command) << '\n'
        << wrapped(QLatin1String(command->summary), "");
    if (command->details)
        out << '\n' << command->details;
    return ExitSuccess;
}

void printUsage()
{
    QTextStream err(stderr);
    printCommands(err);
}
