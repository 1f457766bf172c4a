#include "workspace/DesktopApplication.h"

#include <QFileInfo>

#include <gio/gdesktopappinfo.h>

namespace {

QString fromUtf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// The program an Exec line runs, looking through "env VAR=value ... program".
QString programOfCommandLine(const char* commandLine)
{
    if (!commandLine)
        return {};
    int argc = 0;
    char** argv = nullptr;
    if (!g_shell_parse_argv(commandLine, &argc, &argv, nullptr))
        return {};
    QString program;
    bool afterEnv = false;
    for (int index = 0; index < argc; ++index) {
        const QString word = QString::fromUtf8(argv[index]);
        const QString base = QFileInfo(word).fileName();
        if (index == 0 && base == QLatin1String("env")) {
            afterEnv = true;
            continue;
        }
        if (afterEnv && (word.contains(QLatin1Char('=')) || word.startsWith(QLatin1Char('-'))))
            continue;
        program = base;
        break;
    }
    g_strfreev(argv);
    return program;
}

}

std::optional<DesktopApplication> DesktopApplication::fromId(const QString& desktopId)
{
    if (desktopId.isEmpty())
        return std::nullopt;
    GDesktopAppInfo* info = g_desktop_app_info_new(desktopId.toUtf8().constData());
    if (!info)
        return std::nullopt;
    return DesktopApplication(GObjectRef<GAppInfo>::adopt(G_APP_INFO(info)));
}

std::optional<DesktopApplication> DesktopApplication::defaultForContentType(
    const QString& contentType)
{
    GAppInfo* info = g_app_info_get_default_for_type(contentType.toUtf8().constData(), FALSE);
    if (!info)
        return std::nullopt;
    return DesktopApplication(GObjectRef<GAppInfo>::adopt(info));
}

DesktopApplication::DesktopApplication(GObjectRef<GAppInfo> info)
    : m_info(std::move(info))
{
}

QString DesktopApplication::id() const
{
    return fromUtf8(g_app_info_get_id(m_info.get()));
}

QString DesktopApplication::name() const
{
    return fromUtf8(g_app_info_get_name(m_info.get()));
}

QString DesktopApplication::executableName() const
{
    return programOfCommandLine(g_app_info_get_commandline(m_info.get()));
}

std::optional<QString> DesktopApplication::startupWmClass() const
{
    if (!G_IS_DESKTOP_APP_INFO(m_info.get()))
        return std::nullopt;
    const char* wmClass = g_desktop_app_info_get_startup_wm_class(G_DESKTOP_APP_INFO(m_info.get()));
    if (!wmClass || !*wmClass)
        return std::nullopt;
    return QString::fromUtf8(wmClass);
}

QStringList DesktopApplication::windowClassNames() const
{
    if (std::optional<QString> wmClass = startupWmClass())
        return {*wmClass};
    QStringList names;
    QString base = id();
    if (base.endsWith(QLatin1String(".desktop")))
        base.chop(int(qstrlen(".desktop")));
    if (!base.isEmpty()) {
        names << base;
        const qsizetype lastDot = base.lastIndexOf(QLatin1Char('.'));
        if (lastDot >= 0 && lastDot + 1 < base.size())
            names << base.mid(lastDot + 1);
    }
    const QString program = executableName();
    if (!program.isEmpty())
        names << program;
    names.removeDuplicates();
    return names;
}
