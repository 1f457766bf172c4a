#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// GoogleTest prints Qt strings as text in failure messages instead of as raw bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << "bytes \"" << bytes.toHex(' ').toStdString() << '"';
}
