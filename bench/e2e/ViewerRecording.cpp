#include "ViewerRecording.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>

ViewerRecording::ViewerRecording(QString path)
    : m_path(std::move(path))
{
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.close();
    m_inotify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (m_inotify >= 0
        && inotify_add_watch(m_inotify, QFile::encodeName(m_path).constData(), IN_MODIFY) < 0) {
        ::close(m_inotify);
        m_inotify = -1;
    }
}

ViewerRecording::~ViewerRecording()
{
    if (m_inotify >= 0)
        ::close(m_inotify);
}

void ViewerRecording::clear()
{
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.close();
    drainEvents();
}

void ViewerRecording::drainEvents()
{
    std::array<char, 4096> buffer {};
    while (::read(m_inotify, buffer.data(), buffer.size()) > 0) { }
}

qint64 ViewerRecording::size() const
{
    return QFileInfo(m_path).size();
}

bool ViewerRecording::waitForRecord(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // The viewer writes its record in one write; a change to a file that is no longer
    // empty is that record.
    while (size() == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd watch {m_inotify, POLLIN, 0};
        if (::poll(&watch, 1, int(left.count())) > 0)
            drainEvents();
    }
    return true;
}

std::optional<ViewerRecording::Record> ViewerRecording::firstRecord() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(file.readLine()).object();
    if (object.isEmpty())
        return std::nullopt;
    Record record;
    record.pid = pid_t(object.value(QStringLiteral("pid")).toInteger());
    for (const auto& argument : object.value(QStringLiteral("arguments")).toArray())
        record.arguments << argument.toString();
    return record;
}
