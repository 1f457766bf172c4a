#include "cli/InfoCommand.h"

#include "cli/AliasInfo.h"
#include "cli/CliCommand.h"
#include "cli/CommandError.h"
#include "cli/InfoReports.h"
#include "cli/OutputBuffer.h"
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

// Error lines gathered like the output, and written in order with it where both show on
// a terminal: each buffer then writes at the end of every item.
class InfoErrors {
public:
    InfoErrors()
        : m_lines(stderr)
    {
    }

    // The line CommandError::print writes, escaped as it escapes, straight into the buffer:
    // half the files of a run over a folder may be no shortcut.
    void add(const QString& file, const QString& reason)
    {
        m_lines.append("kestrova: info: ");
        m_lines.appendEscaped(file);
        m_lines.append(": ");
        m_lines.appendEscaped(reason);
        m_lines.append("\n");
        m_lines.endItem();
    }

    void finish() { (void)m_lines.finish(); }

private:
    OutputBuffer m_lines;
};

// A file that is no shortcut may be an alias file, a shortcut converted before. False,
// after saying why, when it is neither.
bool reportAliasFile(
    const QString& file, const QString& whyNoShortcut, InfoReports& reports, InfoErrors& errors)
{
    const Result<std::optional<AliasInfo>> alias = AliasInfo::read(file);
    if (!alias) {
        errors.add(file, alias.reason());
        return false;
    }
    if (!*alias) {
        errors.add(file, whyNoShortcut);
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
    InfoErrors errors;
    InfoReports reports(output, options->json);
    for (const QString& file : options->files) {
        const Result<std::unique_ptr<HVWindowsShortcut>> shortcut =
            HVWindowsShortcut::readFile(file);
        if (!shortcut) {
            allRead = reportAliasFile(file, shortcut.reason(), reports, errors) && allRead;
        } else {
            reports.add(file, **shortcut);
        }
    }
    reports.finish();
    const bool written = output.finish();
    errors.finish();
    if (!written) {
        CommandError::print("info", QStringLiteral("cannot write the output"));
        return ExitFailure;
    }
    return allRead ? ExitSuccess : ExitFailure;
}
