#include "cli/HandoverRequest.h"

#include "cli/CliCommand.h"
#include "cli/CommandOperands.h"
#include "instance/ControlKey.h"
#include "platform/ControlEscapes.h"

#include <QTextStream>

namespace {

HandoverRequest problem(QString text)
{
    return {std::nullopt, std::move(text)};
}

HandoverRequest openRequest(const QStringList& files, bool controlHeld)
{
    if (files.isEmpty())
        return problem(QStringLiteral("no shortcut file given"));
    return {AppRequest::open(CommandOperands::absolutePaths(files), controlHeld), {}};
}

HandoverRequest openLinkRequest(const QStringList& texts, bool)
{
    if (texts.size() > 1)
        return problem(QStringLiteral("give the text as one argument, in quotation marks"));
    return {
        AppRequest::openLink(texts.isEmpty() ? std::nullopt : std::optional(texts.first())), {}};
}

HandoverRequest copyPathRequest(const QStringList& files, bool)
{
    if (files.isEmpty())
        return {AppRequest::copyPath(std::nullopt), {}};
    const Result<QStringList> locations = CommandOperands::locations(files);
    if (!locations)
        return problem(locations.reason());
    return {AppRequest::copyPath(*locations), {}};
}

}

namespace HandoverRequests {

std::optional<HandoverRequest> read(const QString& command, const QStringList& arguments)
{
    // Ctrl is read first: by the time the shortcut has been opened the user has let go.
    const bool controlHeld = command == QLatin1String("open") && ControlKey::isHeld();
    HandoverRequest (*build)(const QStringList&, bool) = nullptr;
    if (command == QLatin1String("open"))
        build = openRequest;
    else if (command == QLatin1String("open-link"))
        build = openLinkRequest;
    else if (command == QLatin1String("copy-path"))
        build = copyPathRequest;
    else
        return std::nullopt;
    const Result<QStringList> operands = CommandOperands::read(arguments);
    if (!operands)
        return problem(operands.reason());
    return build(*operands, controlHeld);
}

int report(const AppRequestOutcome& outcome)
{
    QTextStream errors(stderr);
    for (const QString& line : outcome.failures)
        errors << ControlEscapes::escapeControls(line) << '\n';
    return outcome.succeeded() ? ExitSuccess : ExitFailure;
}

}
