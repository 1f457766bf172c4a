#include "filesvc/AppleDoubleSidecar.h"

#include "filesvc/GvfsFiles.h"
#include "platform/FileDescriptor.h"
#include "platform/FileNames.h"
#include "platform/GvfsPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Failure sidecarFailure(const QString& sidecar, const QString& why)
{
    return Failure {sidecar + QStringLiteral(": ") + why};
}

// A link is followed only when it stays in the sidecar's own folder: a stranger's share
// must not make Kestrova read, or replace, a file elsewhere.
Result<QString> resolvedSidecar(const QString& sidecar)
{
    const QFileInfo info(sidecar);
    if (!info.isSymLink())
        return sidecar;
    const QString target = info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (target.isEmpty() || QFileInfo(target).absolutePath() != folder)
        return sidecarFailure(sidecar, QStringLiteral("is a link out of its folder"));
    return target;
}

Result<QByteArray> readRegularFile(const QString& path)
{
    FileDescriptor fd(::open(
        FileNames::encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.isOpen())
        return sidecarFailure(path, systemError(errno));
    struct stat status { };
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return sidecarFailure(path, QStringLiteral("is not a regular file"));
    if (status.st_size > AppleDouble::kMaxFileSize)
        return sidecarFailure(path, QStringLiteral("is larger than 17 MiB"));
    QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::read(fd.get(), bytes.data() + done, size_t(bytes.size() - done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return sidecarFailure(path, systemError(errno));
        if (count == 0)
            break;
        done += count;
    }
    bytes.truncate(done);
    return bytes;
}

int writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        done += count;
    }
    // Some file systems (GVfs's FUSE folder among them) cannot sync; there the rename
    // still replaces the sidecar whole.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        return errno;
    return 0;
}

// The mode of the sidecar it replaces, or that of the file it belongs to, less the
// execute bits: Samba and other users of the share must be able to read it.
mode_t sidecarMode(const QString& sidecar, const QString& filePath, bool replacing)
{
    struct stat status { };
    if (::stat(FileNames::encode(replacing ? sidecar : filePath).constData(), &status) == 0)
        return status.st_mode & 0666;
    return 0644;
}

void syncFolder(const QString& folder)
{
    FileDescriptor fd(::open(FileNames::encode(folder).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.isOpen())
        ::fsync(fd.get());
}

// A temporary file beside target holding the bytes, synced; its name.
Result<QByteArray> writeTemporary(const QString& target, mode_t mode, const QByteArray& bytes)
{
    QByteArray temporary = FileNames::encode(target + QStringLiteral(".kestrova-XXXXXX"));
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.isOpen())
        return sidecarFailure(
            target, QStringLiteral("cannot create a temporary file: ") + systemError(errno));
    // The mode is a courtesy to the other users of a share; where the file system keeps
    // no modes of its own (GVfs's FUSE folder), the sidecar is written all the same. It is
    // changed only where its read and write bits differ: GVfs refuses every change, after
    // a round trip to its daemon, and shows rw already.
    struct stat status { };
    if (::fstat(fd.get(), &status) != 0 || (status.st_mode & 0666) != mode)
        (void)::fchmod(fd.get(), mode);
    int error = writeAll(fd.get(), bytes);
    if (!error)
        error = fd.close();
    if (error) {
        ::unlink(temporary.constData());
        return sidecarFailure(target, QStringLiteral("cannot be written: ") + systemError(error));
    }
    return temporary;
}

// Puts the temporary file in the sidecar's place, and syncs the folder so that the
// new name lasts.
Result<void> moveIntoPlace(const QByteArray& temporary, const QString& target)
{
    if (::rename(temporary.constData(), FileNames::encode(target).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return sidecarFailure(target, QStringLiteral("cannot be written: ") + systemError(error));
    }
    syncFolder(QFileInfo(target).absolutePath());
    return {};
}

Result<void> replaceAtomically(
    const QString& target, const QString& filePath, bool replacing, const QByteArray& bytes)
{
    const Result<QByteArray> temporary =
        writeTemporary(target, sidecarMode(target, filePath, replacing), bytes);
    if (!temporary)
        return temporary.failure();
    return moveIntoPlace(*temporary, target);
}

// 0, or errno: EEXIST when a sidecar is there.
int moveWhereNone(const QByteArray& temporary, const QString& target)
{
    return ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD,
               FileNames::encode(target).constData(), RENAME_NOREPLACE)
            == 0
        ? 0
        : errno;
}

bool cannotRenameWithoutReplacing(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// A name beside the sidecar that no file has, as mkostemp would choose it.
QString temporaryNameFor(const QString& sidecar)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString name = sidecar + QStringLiteral(".kestrova-");
    for (int index = 0; index < 6; ++index)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return name;
}

// A temporary file holding the bytes, written whole, in a share GVfs serves; its name.
// GVfs keeps no modes and cannot sync: the server has the bytes once the file is closed.
Result<QString> writeTemporaryInShare(const QString& sidecar, const QByteArray& bytes)
{
    GvfsFiles::Attempt created;
    for (int attempt = 0; attempt < 10; ++attempt) {
        const QString temporary = temporaryNameFor(sidecar);
        created = GvfsFiles::create(temporary, bytes);
        if (created.outcome == GvfsFiles::Outcome::Done)
            return temporary;
        if (created.outcome != GvfsFiles::Outcome::NameTaken)
            break;
    }
    return sidecarFailure(sidecar, QStringLiteral("cannot be written: ") + created.reason);
}

// The new sidecar written through GIO rather than GVfs's FUSE folder, as the new file
// beside it was, and put in place where there is none.
Result<void> updateOfNewFileInShare(const QString& filePath, const QString& sidecar,
    const std::function<void(AppleDoubleFile&)>& change)
{
    AppleDoubleFile contents;
    change(contents);
    const Result<QString> temporary =
        writeTemporaryInShare(sidecar, AppleDouble::serialize(contents));
    if (!temporary)
        return temporary.failure();
    const GvfsFiles::Attempt moved = GvfsFiles::renameWhereNone(*temporary, sidecar);
    if (moved.outcome == GvfsFiles::Outcome::Done)
        return {};
    GvfsFiles::remove(*temporary);
    if (moved.outcome == GvfsFiles::Outcome::Failed)
        return sidecarFailure(sidecar, QStringLiteral("cannot be written: ") + moved.reason);
    return AppleDoubleSidecar::update(filePath, change);
}

// Whether QDir::cleanPath would give the path back as it is: no empty, "." or ".."
// segment, so no slash at the end but the root's. Nearly every path given is, and `info`
// asks it of each file: one pass over the characters, no search for each bad form.
bool isClean(QStringView path)
{
    if (path == u"/")
        return true;
    qsizetype segmentStart = path.startsWith(u'/') ? 1 : 0;
    for (qsizetype index = segmentStart; index <= path.size(); ++index) {
        if (index < path.size() && path[index] != u'/')
            continue;
        const QStringView segment = path.sliced(segmentStart, index - segmentStart);
        if (segment.isEmpty() || segment == u"." || segment == u"..")
            return false;
        segmentStart = index + 1;
    }
    return true;
}

}

namespace AppleDoubleSidecar {

std::optional<QString> pathFor(const QString& filePath)
{
    const QString clean = isClean(filePath) ? filePath : QDir::cleanPath(filePath);
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    const QString name = clean.sliced(slash + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return std::nullopt;
    return clean.first(slash + 1) + QStringLiteral("._") + name;
}

Result<std::optional<AppleDoubleFile>> read(const QString& filePath)
{
    const std::optional<QString> sidecar = pathFor(filePath);
    if (!sidecar)
        return Failure {filePath + QStringLiteral(": has no folder to hold a sidecar")};
    struct stat status { };
    if (::lstat(FileNames::encode(*sidecar).constData(), &status) != 0) {
        if (errno == ENOENT)
            return std::optional<AppleDoubleFile>();
        return sidecarFailure(*sidecar, systemError(errno));
    }
    Result<QString> resolved = resolvedSidecar(*sidecar);
    if (!resolved)
        return resolved.failure();
    Result<QByteArray> bytes = readRegularFile(*resolved);
    if (!bytes)
        return bytes.failure();
    Result<AppleDoubleFile> contents = AppleDouble::parse(*bytes);
    if (!contents)
        return sidecarFailure(*sidecar, contents.reason());
    return std::optional<AppleDoubleFile>(std::move(*contents));
}

Result<void> write(const QString& filePath, const AppleDoubleFile& contents)
{
    return update(filePath, [&](AppleDoubleFile& present) { present = contents; });
}

// The sidecar is not looked for first: the new one is put in place only where there is
// none, and one found there then is read and changed as update() does, never replaced
// unread. A file system that cannot rename that way is asked first, as update() does.
Result<void> updateOfNewFile(
    const QString& filePath, const std::function<void(AppleDoubleFile&)>& change)
{
    const std::optional<QString> sidecar = pathFor(filePath);
    if (!sidecar)
        return Failure {filePath + QStringLiteral(": has no folder to hold a sidecar")};
    if (GvfsPath::isServed(*sidecar))
        return updateOfNewFileInShare(filePath, *sidecar, change);
    AppleDoubleFile contents;
    change(contents);
    const Result<QByteArray> temporary = writeTemporary(
        *sidecar, sidecarMode(*sidecar, filePath, false), AppleDouble::serialize(contents));
    if (!temporary)
        return temporary.failure();
    const int error = moveWhereNone(*temporary, *sidecar);
    if (!error) {
        syncFolder(QFileInfo(*sidecar).absolutePath());
        return {};
    }
    if (cannotRenameWithoutReplacing(error)) {
        const Result<std::optional<AppleDoubleFile>> existing = read(filePath);
        if (existing && !*existing)
            return moveIntoPlace(*temporary, *sidecar);
    }
    ::unlink(temporary->constData());
    if (error != EEXIST && !cannotRenameWithoutReplacing(error))
        return sidecarFailure(*sidecar, QStringLiteral("cannot be written: ") + systemError(error));
    return update(filePath, change);
}

Result<void> update(const QString& filePath, const std::function<void(AppleDoubleFile&)>& change)
{
    Result<std::optional<AppleDoubleFile>> existing = read(filePath);
    if (!existing)
        return existing.failure();
    const QString sidecar = *pathFor(filePath);
    if (*existing && !(*existing)->rewritable)
        return sidecarFailure(sidecar,
            QStringLiteral("holds entries other than the Finder information and the fork"));
    const bool replacing = existing->has_value();
    AppleDoubleFile contents = std::move(*existing).value_or(AppleDoubleFile());
    change(contents);
    return replaceAtomically(sidecar, filePath, replacing, AppleDouble::serialize(contents));
}

}
