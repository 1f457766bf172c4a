#include "cli/HandoverRequest.h"

#include "cli/CliCommand.h"
#include "cli/CommandOperands.h"

#include <QTextStream>

namespace {

HandoverRequest problem(QString text)
{
    return {std::nullopt, std::move(text)};
}

HandoverRequest openRequest(const QStringList& files)
{
    if (files.isEmpty())
        return problem(QStringLiteral("no shortcut file given"));
    return {AppRequest::open(CommandOperands::absolutePaths(files)), {}};
}

HandoverRequest openLinkRequest(const QStringList& texts)
{
    if (texts.size() > 1)
        return problem(QStringLiteral("give the text as one argument, in quotation marks"));
    return {
        AppRequest::openLink(texts.isEmpty() ? std::nullopt : std::optional(texts.first())), {}};
}

HandoverRequest copyPathRequest(const QStringList& files)
{
    return {
        AppRequest::copyPath(
            files.isEmpty() ? std::nullopt : std::optional(CommandOperands::absolutePaths(files))),
        {}};
}

}

namespace HandoverRequests {

std::optional<HandoverRequest> read(const QString& command, const QStringList& arguments)
{
    HandoverRequest (*build)(const QStringList&) = nullptr;
    if (command == QLatin1String("open"))
        build = openRequest;
    else if (command == QLatin1String("open-link"))
        build = openLinkRequest;
    else if (command == QLatin1String("copy-path"))
        build = copyPathRequest;
    else
        return std::nullopt;
    QString usageProblem;
    const std::optional<QStringList> operands = CommandOperands::read(arguments, &usageProblem);
    if (!operands)
        return problem(usageProblem);
    return build(*operands);
}

int report(const AppRequestOutcome& outcome)
{
    QTextStream errors(stderr);
    for (const QString& line : outcome.failures)
        errors << line << '\n';
    return outcome.succeeded() ? ExitSuccess : ExitFailure;
}

}
