#include "cli/InfoCommand.h"

#include "cli/AliasInfo.h"
#include "cli/CliCommand.h"
#include "cli/CommandError.h"
#include "cli/InfoReports.h"
#include "cli/OutputBuffer.h"
#include "platform/FileProblems.h"
#include "shortcut/HVWindowsShortcut.h"

#include <cstdio>

namespace {

struct InfoOptions {
    bool json = false;
    QStringList files;
};

std::optional<InfoOptions> parseOptions(const QStringList& arguments)
{
    InfoOptions options;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument == QLatin1String("--json")) {
            options.json = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            CommandError::usage("info", QStringLiteral("unknown option ") + argument);
            return std::nullopt;
        } else {
            options.files << argument;
        }
    }
    if (options.files.isEmpty()) {
        CommandError::usage("info", QStringLiteral("no shortcut file given"));
        return std::nullopt;
    }
    return options;
}

// A file that is no shortcut may be an alias file, a shortcut converted before. False,
// after saying why, when it is neither.
bool reportAliasFile(const QString& file, InfoReports& reports)
{
    const Result<std::optional<AliasInfo>> alias = AliasInfo::read(file);
    if (!alias) {
        CommandError::print("info", file, alias.reason());
        return false;
    }
    if (!*alias) {
        CommandError::print(
            "info", file, FileProblems::unreadableShortcut(file, HVWindowsShortcut::kMaxFileSize));
        return false;
    }
    reports.add(**alias);
    return true;
}

}

int runInfoCommand(const QStringList& arguments)
{
    const std::optional<InfoOptions> options = parseOptions(arguments);
    if (!options)
        return ExitUsage;
    bool allRead = true;
    OutputBuffer output(stdout);
    InfoReports reports(output, options->json);
    for (const QString& file : options->files) {
        const std::unique_ptr<HVWindowsShortcut> shortcut =
            HVWindowsShortcut::initWithContentsOfFile(file);
        if (!shortcut) {
            allRead = reportAliasFile(file, reports) && allRead;
        } else {
            reports.add(file, *shortcut);
        }
    }
    reports.finish();
    if (!output.finish()) {
        CommandError::print("info", QStringLiteral("cannot write the output"));
        return ExitFailure;
    }
    return allRead ? ExitSuccess : ExitFailure;
}
