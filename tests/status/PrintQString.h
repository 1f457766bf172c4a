#pragma once

#include <QString>

#include <ostream>

// GoogleTest shows a QString that fails a check as its text rather than as raw bytes.
inline void PrintTo(const QString& text, std::ostream* stream)
{
    *stream << '"' << text.toStdString() << '"';
}
