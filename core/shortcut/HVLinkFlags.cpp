#include "shortcut/HVLinkFlags.h"

#include <QStringList>

QString HVLinkFlags::description() const
{
    const std::pair<const char*, bool> queries[] = {
        {"hasShellItemId", hasShellItemId()},
        {"isFileOrDir", isFileOrDir()},
        {"hasName", hasName()},
        {"hasRelativePath", hasRelativePath()},
        {"hasWorkingDir", hasWorkingDir()},
        {"hasArguments", hasArguments()},
        {"hasIconLocation", hasIconLocation()},
        {"hasExpString", hasExpString()},
        {"isUnicode", isUnicode()},
        {"preferEnvironmentPath", preferEnvironmentPath()},
    };
    QStringList lines;
    for (const auto& [name, value] : queries)
        lines << QStringLiteral("%1: %2").arg(QLatin1String(name)).arg(value ? 1 : 0);
    return lines.join(QLatin1Char('\n'));
}
