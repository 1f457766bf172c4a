#include "cli/AliasInfo.h"

#include "filesvc/AppleDoubleSidecar.h"
#include "filesvc/JLAlias.h"
#include "platform/ControlEscapes.h"

#include <QFileInfo>

namespace {

QString orNone(const std::optional<QString>& text)
{
    return text ? ControlEscapes::escapeControls(*text) : QStringLiteral("(none)");
}

QJsonValue jsonOrNull(const std::optional<QString>& text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

}

Result<std::optional<AliasInfo>> AliasInfo::read(const QString& file)
{
    // Alias files are regular files; anything else is told why it is no shortcut.
    if (!QFileInfo(file).isFile())
        return std::optional<AliasInfo>();
    // The sidecar is read first so that a malformed one is told as such.
    const Result<std::optional<AppleDoubleFile>> sidecar = AppleDoubleSidecar::read(file);
    if (!sidecar)
        return Failure {
            QStringLiteral("its alias information cannot be read: ") + sidecar.reason()};
    if (!*sidecar)
        return std::optional<AliasInfo>();
    const std::unique_ptr<JLAlias> alias = JLAlias::initWithContentsOfFile(file);
    if (!alias)
        return std::optional<AliasInfo>();
    return std::optional(AliasInfo {file, alias->lastKnownName(), alias->lastKnownVolumeName(),
        alias->lastKnownPath(), alias->lastKnownShareURL()});
}

QString AliasInfo::text() const
{
    QString report = ControlEscapes::escapeControls(file) + QLatin1String(":\n  kind: alias\n");
    const std::pair<const char*, QString> lines[] = {
        {"target", orNone(name)},
        {"volume", orNone(volume)},
        {"path", orNone(path)},
        {"server", orNone(server)},
    };
    for (const auto& [label, value] : lines)
        report += QStringLiteral("  %1: %2\n").arg(QLatin1String(label), value);
    return report;
}

QJsonObject AliasInfo::json() const
{
    return {
        {QStringLiteral("file"), file},
        {QStringLiteral("kind"), QStringLiteral("alias")},
        {QStringLiteral("target"), jsonOrNull(name)},
        {QStringLiteral("volume"), jsonOrNull(volume)},
        {QStringLiteral("path"), jsonOrNull(path)},
        {QStringLiteral("server"), jsonOrNull(server)},
    };
}
