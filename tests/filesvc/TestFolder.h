#pragma once

#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

// The file number an alias record keeps: the low 32 bits of the inode.
inline quint32 inodeOf(const QString& path)
{
    struct stat status { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? quint32(status.st_ino) : 0;
}

// A fresh folder for each test, and files in it by name.
class TestFolder : public testing::Test {
protected:
    QString path(QAnyStringView name) const { return m_root.filePath(name.toString()); }
    QString write(QAnyStringView name, const QByteArray& bytes = {}) const
    {
        return writeFile(path(name), bytes);
    }
    QByteArray read(QAnyStringView name) const { return readFile(path(name)); }

    QTemporaryDir m_temporary;
    QDir m_root {m_temporary.path()};
};
