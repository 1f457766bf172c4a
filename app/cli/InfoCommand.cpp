#include "cli/InfoCommand.h"

#include "cli/AliasInfo.h"
#include "cli/CliCommand.h"
#include "cli/CommandError.h"
#include "platform/ControlEscapes.h"
#include "platform/FileProblems.h"
#include "shortcut/EncodingRepair.h"
#include "shortcut/HVWindowsShortcut.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

using ControlEscapes::escapeControls;

QString orNone(const std::optional<QString>& text)
{
    return text ? escapeControls(*text) : QStringLiteral("(none)");
}

QJsonValue jsonOrNull(const std::optional<QString>& text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QString encodingText(quint32 encoding)
{
    if (encoding == StringEncoding::None)
        return QStringLiteral("(none)");
    return QStringLiteral("%1 %2").arg(encoding).arg(EncodingRepair::encodingName(encoding));
}

QString fieldName(ReadingProvenance::Field field)
{
    return ReadingProvenance::fieldName(field);
}

QString textReport(const QString& file, const HVWindowsShortcut& shortcut)
{
    const ReadingProvenance& provenance = shortcut.provenance();
    QString flags = shortcut.linkFlags().description();
    flags.replace(QLatin1Char('\n'), QLatin1String("\n    "));
    QString report = escapeControls(file) + QLatin1String(":\n");
    report += QStringLiteral("  flags: 0x%1\n    %2\n")
                  .arg(shortcut.linkFlags().flags(), 8, 16, QLatin1Char('0'))
                  .arg(flags);
    const std::pair<const char*, QString> lines[] = {
        {"fullFilename", orNone(shortcut.fullFilename())},
        {"share", orNone(shortcut.networkShare())},
        {"filename", orNone(shortcut.filename())},
        {"composedLinkName", orNone(shortcut.composedLinkName())},
        {"shareEncoding", encodingText(shortcut.shareEncoding())},
        {"pathEncoding", encodingText(shortcut.pathEncoding())},
        {"share from", fieldName(provenance.share)},
        {"path from", fieldName(provenance.path)},
        {"encodings from",
            provenance.encoding == ReadingProvenance::Field::None
                ? QStringLiteral("the string fields")
                : fieldName(provenance.encoding)},
        {"environment target", orNone(provenance.environmentTarget)},
    };
    for (const auto& [name, value] : lines)
        report += QStringLiteral("  %1: %2\n").arg(QLatin1String(name), value);
    return report;
}

QJsonObject encodingJson(quint32 encoding)
{
    if (encoding == StringEncoding::None)
        return {};
    return {{QStringLiteral("codePage"), qint64(encoding)},
        {QStringLiteral("name"), EncodingRepair::encodingName(encoding)}};
}

QJsonObject jsonReport(const QString& file, const HVWindowsShortcut& shortcut)
{
    const HVLinkFlags& linkFlags = shortcut.linkFlags();
    const ReadingProvenance& provenance = shortcut.provenance();
    const QJsonObject flags {
        {QStringLiteral("value"), qint64(linkFlags.flags())},
        {QStringLiteral("hasShellItemId"), linkFlags.hasShellItemId()},
        {QStringLiteral("isFileOrDir"), linkFlags.isFileOrDir()},
        {QStringLiteral("hasName"), linkFlags.hasName()},
        {QStringLiteral("hasRelativePath"), linkFlags.hasRelativePath()},
        {QStringLiteral("hasWorkingDir"), linkFlags.hasWorkingDir()},
        {QStringLiteral("hasArguments"), linkFlags.hasArguments()},
        {QStringLiteral("hasIconLocation"), linkFlags.hasIconLocation()},
        {QStringLiteral("hasExpString"), linkFlags.hasExpString()},
        {QStringLiteral("isUnicode"), linkFlags.isUnicode()},
        {QStringLiteral("preferEnvironmentPath"), linkFlags.preferEnvironmentPath()},
    };
    const QJsonObject from {
        {QStringLiteral("share"), fieldName(provenance.share)},
        {QStringLiteral("path"), fieldName(provenance.path)},
        {QStringLiteral("encodings"), fieldName(provenance.encoding)},
    };
    return {
        {QStringLiteral("file"), file},
        {QStringLiteral("flags"), flags},
        {QStringLiteral("fullFilename"), jsonOrNull(shortcut.fullFilename())},
        {QStringLiteral("share"), jsonOrNull(shortcut.networkShare())},
        {QStringLiteral("filename"), jsonOrNull(shortcut.filename())},
        {QStringLiteral("composedLinkName"), jsonOrNull(shortcut.composedLinkName())},
        {QStringLiteral("shareEncoding"), encodingJson(shortcut.shareEncoding())},
        {QStringLiteral("pathEncoding"), encodingJson(shortcut.pathEncoding())},
        {QStringLiteral("from"), from},
        {QStringLiteral("environmentTarget"), jsonOrNull(provenance.environmentTarget)},
    };
}

// QJsonDocument escapes C0 controls inside strings but writes DEL, C1 and the
// bidirectional controls raw. Its only raw controls are the newlines between lines, so
// escaping line by line leaves valid JSON that decodes to the exact strings.
QByteArray jsonText(const QJsonArray& reports)
{
    const QString text = QString::fromUtf8(QJsonDocument(reports).toJson(QJsonDocument::Indented));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = escapeControls(line);
    return lines.join(QLatin1Char('\n')).toUtf8();
}

bool writeOut(const QByteArray& bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
}

// A file that is no shortcut may be an alias file, a shortcut converted before. False,
// after saying why, when it is neither.
bool reportAliasFile(const QString& file, bool json, QJsonArray& reports, bool& written)
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
    if (json)
        reports.append((*alias)->json());
    else
        written = writeOut((*alias)->text().toUtf8()) && written;
    return true;
}

}

int runInfoCommand(const QStringList& arguments)
{
    const std::optional<InfoOptions> options = parseOptions(arguments);
    if (!options)
        return ExitUsage;
    bool allRead = true;
    bool written = true;
    QJsonArray reports;
    for (const QString& file : options->files) {
        const std::unique_ptr<HVWindowsShortcut> shortcut =
            HVWindowsShortcut::initWithContentsOfFile(file);
        if (!shortcut) {
            allRead = reportAliasFile(file, options->json, reports, written) && allRead;
        } else if (options->json) {
            reports.append(jsonReport(file, *shortcut));
        } else {
            written = writeOut(textReport(file, *shortcut).toUtf8()) && written;
        }
    }
    if (options->json)
        written = writeOut(jsonText(reports)) && written;
    if (std::fflush(stdout) != 0 || !written) {
        CommandError::print("info", QStringLiteral("cannot write the output"));
        return ExitFailure;
    }
    return allRead ? ExitSuccess : ExitFailure;
}
