#pragma once

#include "platform/SystemLog.h"

#include <QStringList>

// Collects the system-log lines written while it lives, instead of logging them.
class LogCapture {
public:
    LogCapture()
        : m_previous(SystemLog::setSink([this](const QString& line) { m_lines << line; }))
    {
    }
    ~LogCapture() { SystemLog::setSink(std::move(m_previous)); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines;
    SystemLog::Sink m_previous;
};
