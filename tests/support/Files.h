#pragma once

#include <QFile>

#include <gtest/gtest.h>

// The whole file; empty when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes the file whole (a test failure where it cannot) and returns its path.
inline QString writeFile(const QString& path, const QByteArray& bytes = {})
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        << path.toStdString();
    return path;
}
