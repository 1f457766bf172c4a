#include "preferences/PreferencesFile.h"

#include "platform/FileDescriptor.h"
#include "platform/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace PreferencesFile {
namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A settings file that is a symbolic link (into a repository of dotfiles, say) stays
// one: the file it leads to is replaced, in that file's own folder.
QString replacedFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.symLinkTarget() : resolved;
}

// Hidden, so that file managers showing the folder do not flicker with it.
QString temporaryTemplate(const QString& path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX");
}

int writeAll(int fd, const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t result =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0)
            return errno;
        written += result;
    }
    return 0;
}

// Fills a new temporary file and flushes it to disk; returns errno or 0.
int fillTemporary(int fd, const QByteArray& bytes)
{
    if (int error = writeAll(fd, bytes))
        return error;
    return ::fsync(fd) == 0 ? 0 : errno;
}

// The rename is durable only once the folder itself is on disk; a failure here costs
// durability after a power loss, not the file, so it is not reported.
void syncFolder(const QString& folder)
{
    FileDescriptor fd(::open(FileNames::encode(folder).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

Contents corrupt(QString reason)
{
    return {{}, Problem {Problem::Kind::Corrupt, std::move(reason)}};
}

Contents unreadable(QString reason)
{
    return {{}, Problem {Problem::Kind::Unreadable, std::move(reason)}};
}

}

Contents read(const QString& path)
{
    // Opening a FIFO or a device would block or never end; only a regular file can
    // hold settings.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return unreadable(QStringLiteral("is not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path))
            return {};
        return unreadable(QStringLiteral("cannot be read: %1").arg(file.errorString()));
    }
    const QByteArray bytes = file.read(maximumSize + 1);
    if (file.error() != QFileDevice::NoError)
        return unreadable(QStringLiteral("cannot be read: %1").arg(file.errorString()));
    if (bytes.size() > maximumSize)
        return corrupt(QStringLiteral("is larger than %1 bytes").arg(maximumSize));

    QJsonParseError parseError {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return corrupt(QStringLiteral("is no valid JSON (%1 at offset %2)")
                           .arg(parseError.errorString())
                           .arg(parseError.offset));
    if (!document.isObject())
        return corrupt(QStringLiteral("holds no JSON object"));
    return {document.object(), std::nullopt};
}

std::optional<QString> writeAtomically(const QString& path, const QJsonObject& values)
{
    const QString target = replacedFile(path);
    // Checked before anything is created: a file the reader would refuse must never
    // replace one it accepts.
    const QByteArray bytes = QJsonDocument(values).toJson(QJsonDocument::Indented);
    if (bytes.size() > maximumSize) {
        return QStringLiteral("the settings would take %1 bytes, more than the %2 a settings "
                              "file may hold; %3 is left as it was")
            .arg(bytes.size())
            .arg(maximumSize)
            .arg(target);
    }
    QByteArray temporaryName = FileNames::encode(temporaryTemplate(target));
    FileDescriptor fd(::mkostemp(temporaryName.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        return QStringLiteral("cannot create a temporary file beside %1: %2")
            .arg(target, systemError(error));
    }
    int error = fillTemporary(fd.get(), bytes);
    if (!error)
        error = fd.close();
    if (!error
        && std::rename(temporaryName.constData(), FileNames::encode(target).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporaryName.constData());
        return QStringLiteral("cannot write %1: %2").arg(target, systemError(error));
    }
    syncFolder(QFileInfo(target).absolutePath());
    return std::nullopt;
}

void removeLeftoverTemporaries(const QString& path)
{
    const QFileInfo info(replacedFile(path));
    QDir folder = info.absoluteDir();
    const QString pattern = QStringLiteral(".") + info.fileName() + QStringLiteral(".??????");
    const QStringList leftovers =
        folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& leftover : leftovers)
        folder.remove(leftover);
}

}
