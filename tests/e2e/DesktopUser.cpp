#include "DesktopUser.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

namespace DesktopUser {
namespace {

constexpr int pollMilliseconds = 50;
constexpr int toolTimeoutMilliseconds = 10000;
constexpr int settleMilliseconds = 300;

QByteArray runTool(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(toolTimeoutMilliseconds)) {
        tool.kill();
        tool.waitForFinished();
        return {};
    }
    return tool.readAllStandardOutput();
}

QByteArray xdotool(const QStringList& arguments)
{
    return runTool(QStringLiteral("xdotool"), arguments).trimmed();
}

std::optional<quint32> visibleWindowTitled(const QString& title)
{
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    const QByteArray found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
        QStringLiteral("--name"), pattern});
    bool valid = false;
    const quint32 window = found.split('\n').first().toUInt(&valid);
    return valid ? std::optional(window) : std::nullopt;
}

std::optional<quint32> activeWindow()
{
    bool valid = false;
    const quint32 window = xdotool({QStringLiteral("getactivewindow")}).toUInt(&valid);
    return valid ? std::optional(window) : std::nullopt;
}

}

std::optional<quint32> waitForWindow(const QString& title, int timeoutMilliseconds)
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    for (;;) {
        if (std::optional<quint32> window = visibleWindowTitled(title))
            return window;
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(pollMilliseconds);
    }
}

bool noWindowFor(const QString& title, int periodMilliseconds)
{
    return !waitForWindow(title, periodMilliseconds);
}

bool becomesActive(quint32 window, int timeoutMilliseconds)
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (activeWindow() != window) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(pollMilliseconds);
    }
    return true;
}

std::optional<qint64> activeWindowProcess()
{
    const std::optional<quint32> window = activeWindow();
    if (!window)
        return std::nullopt;
    bool valid = false;
    const qint64 pid =
        xdotool({QStringLiteral("getwindowpid"), QString::number(*window)}).toLongLong(&valid);
    return valid ? std::optional(pid) : std::nullopt;
}

void press(const QString& key)
{
    xdotool({QStringLiteral("key"), key});
}

bool connectAsGuest()
{
    const std::optional<quint32> question =
        waitForWindow(QStringLiteral("Authentication Required"));
    if (!question || !becomesActive(*question))
        return false;
    // The dialog's own keys: Alt+G picks "Connect as guest", Return presses "Connect".
    // Keys typed the instant the window is activated can arrive before the dialog has
    // taken the keyboard focus; a user is never that quick.
    QThread::msleep(settleMilliseconds);
    press(QStringLiteral("alt+g"));
    QThread::msleep(settleMilliseconds);
    press(QStringLiteral("Return"));
    return true;
}

QString readSelection(const QString& selection, const QString& type)
{
    return QString::fromUtf8(runTool(QStringLiteral("xclip"),
        {QStringLiteral("-o"), QStringLiteral("-selection"), selection, QStringLiteral("-t"),
            type}));
}

SelectionOwner::SelectionOwner(
    const QString& selection, const QString& type, const QByteArray& data)
{
    m_xclip.start(QStringLiteral("xclip"),
        {QStringLiteral("-quiet"), QStringLiteral("-selection"), selection, QStringLiteral("-t"),
            type, QStringLiteral("-i")});
    if (!m_xclip.waitForStarted())
        return;
    m_xclip.write(data);
    m_xclip.waitForBytesWritten();
    m_xclip.closeWriteChannel();
    const QDeadlineTimer deadline(toolTimeoutMilliseconds);
    while (!m_serving && !deadline.hasExpired()) {
        m_serving = readSelection(selection, type).toUtf8() == data;
        if (!m_serving)
            QThread::msleep(pollMilliseconds);
    }
}

SelectionOwner::~SelectionOwner()
{
    if (m_xclip.state() == QProcess::NotRunning)
        return;
    m_xclip.kill();
    m_xclip.waitForFinished();
}

}
