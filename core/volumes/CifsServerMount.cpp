#include "volumes/CifsServerMount.h"

#include "platform/FileNames.h"
#include "platform/MountInfo.h"
#include "platform/SystemLog.h"
#include "volumes/CredentialPrompt.h"
#include "volumes/MountOperation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList systemPrograms = {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
    QStringLiteral("/usr/bin"), QStringLiteral("/bin")};

// mount.cifs reports "mount error(13): Permission denied" when the server refuses the
// login; then another answer may help.
constexpr int permissionDenied = 13;

struct ProgramRun {
    int exitCode = -1;
    QString output;
};

// A program that has not finished within the limit is killed: mount.cifs looks up the
// server's name and waits for its answers itself.
ProgramRun run(const QString& program, const QStringList& arguments,
    std::chrono::milliseconds limit,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {-1, process.errorString()};
    if (!process.waitForFinished(static_cast<int>(limit.count()))) {
        process.kill();
        process.waitForFinished(-1);
        return {-1,
            QStringLiteral("the server did not answer within %1 s")
                .arg(std::chrono::duration<double>(limit).count())};
    }
    const int exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {exitCode, QString::fromLocal8Bit(process.readAll()).trimmed()};
}

// //server/share[/dir] of a cifs URL, or none when a component could leave the folder
// it names.
std::optional<QString> shareOfURL(const QUrl& url)
{
    const QStringList components =
        url.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (url.host().isEmpty() || components.isEmpty())
        return std::nullopt;
    for (const QString& component : components) {
        if (component == QLatin1String(".") || component == QLatin1String(".."))
            return std::nullopt;
    }
    return QStringLiteral("//") + url.host(QUrl::FullyDecoded) + QLatin1Char('/')
        + components.join(QLatin1Char('/'));
}

bool isMountPoint(const QString& folder)
{
    struct stat self { };
    struct stat parent { };
    return ::stat(FileNames::encode(folder).constData(), &self) == 0
        && ::stat(FileNames::encode(folder + QStringLiteral("/..")).constData(), &parent) == 0
        && self.st_dev != parent.st_dev;
}

// Removes the folders below root that mountPoint added, deepest first, as long as they
// are empty.
void removeMadeFolders(const QString& root, const QString& mountPoint)
{
    QString folder = mountPoint;
    while (folder.size() > root.size() && QDir().rmdir(folder))
        folder = QFileInfo(folder).path();
}

std::optional<Credentials> askCredentials(
    CredentialPrompt& prompt, const QString& share, int attempt)
{
    CredentialRequest request;
    request.message = QStringLiteral("Enter user and password for %1").arg(share);
    request.defaultUser = qEnvironmentVariable("USER");
    request.needsUser = request.needsDomain = request.needsPassword = true;
    request.anonymousAllowed = true;
    request.attempt = attempt;
    return prompt.askPassword(request);
}

// The -o list of mount.cifs. A domain holding "," or "=" would add options of its own.
std::optional<QStringList> mountOptions(const Credentials& credentials)
{
    if (credentials.anonymous)
        return QStringList {QStringLiteral("-o"), QStringLiteral("guest")};
    if (credentials.domain.contains(QLatin1Char(','))
        || credentials.domain.contains(QLatin1Char('=')))
        return std::nullopt;
    if (credentials.domain.isEmpty())
        return QStringList();
    return QStringList {QStringLiteral("-o"), QStringLiteral("domain=") + credentials.domain};
}

bool optionsLetUsersMount(const QByteArray& options)
{
    const QList<QByteArray> items = options.split(',');
    return items.contains("user") || items.contains("users");
}

bool sameShare(QByteArray source, const QString& share)
{
    source.replace('\\', '/');
    while (source.size() > 2 && source.endsWith('/'))
        source.chop(1);
    return QString::fromUtf8(source).compare(share, Qt::CaseInsensitive) == 0;
}

}

std::optional<QString> CifsServerMount::userMountPointInFstab(
    QByteArrayView fstab, const QString& share)
{
    for (const QByteArray& line : fstab.toByteArray().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4 || fields[0].startsWith('#'))
            continue;
        if (fields[2] != "cifs" && fields[2] != "smb3")
            continue;
        if (sameShare(MountInfo::unescapeField(fields[0]), share)
            && optionsLetUsersMount(fields[3]))
            return FileNames::decode(MountInfo::unescapeField(fields[1]));
    }
    return std::nullopt;
}

CifsServerMount::CifsServerMount(
    CredentialPrompt& prompt, QString mountRoot, QString fstabPath, std::chrono::milliseconds limit)
    : m_prompt(prompt)
    , m_mountRoot(std::move(mountRoot))
    , m_fstabPath(std::move(fstabPath))
    , m_limit(limit)
{
}

ServerMountResult CifsServerMount::mountServerVolume(const QString& url)
{
    const std::optional<QString> share = shareOfURL(QUrl(url, QUrl::StrictMode));
    if (!share) {
        SystemLog::write(QStringLiteral("Mounter: %1 names no cifs share").arg(url));
        return {};
    }
    if (::geteuid() != 0)
        return mountFromFstab(*share);
    return mountAsRoot(*share, m_mountRoot + share->mid(1));
}

ServerMountResult CifsServerMount::mountAsRoot(const QString& share, const QString& mountPoint)
{
    if (isMountPoint(mountPoint))
        return {true, mountPoint};
    const QString program =
        QStandardPaths::findExecutable(QStringLiteral("mount.cifs"), systemPrograms);
    if (program.isEmpty()) {
        SystemLog::write(
            QStringLiteral("Mounter: mount.cifs is missing; install cifs-utils to mount %1")
                .arg(share));
        return {};
    }
    if (!QDir().mkpath(mountPoint)) {
        SystemLog::write(QStringLiteral("Mounter: cannot make the mount point %1").arg(mountPoint));
        return {};
    }
    for (int attempt = 1; attempt <= MountOperation::maximumAttempts; ++attempt) {
        const std::optional<Credentials> credentials = askCredentials(m_prompt, share, attempt);
        if (!credentials)
            break;
        const std::optional<QStringList> options = mountOptions(*credentials);
        if (!options) {
            SystemLog::write(QStringLiteral("Mounter: a domain name cannot hold \",\" or \"=\""));
            continue;
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!credentials->anonymous) {
            // Given in the environment, the password appears in no process listing.
            environment.insert(QStringLiteral("USER"), credentials->user);
            environment.insert(QStringLiteral("PASSWD"), credentials->password);
        }
        const ProgramRun mount =
            run(program, QStringList {share, mountPoint} + *options, m_limit, environment);
        if (mount.exitCode == 0)
            return {true, mountPoint};
        SystemLog::write(
            QStringLiteral("Mounter: mount.cifs %1 failed: %2").arg(share, mount.output));
        if (!mount.output.contains(QStringLiteral("error(%1)").arg(permissionDenied)))
            break;
    }
    removeMadeFolders(m_mountRoot, mountPoint);
    return {};
}

ServerMountResult CifsServerMount::mountFromFstab(const QString& share)
{
    QFile fstab(m_fstabPath);
    const QByteArray lines = fstab.open(QIODevice::ReadOnly) ? fstab.readAll() : QByteArray();
    const std::optional<QString> mountPoint = userMountPointInFstab(lines, share);
    if (!mountPoint) {
        SystemLog::write(QStringLiteral("Mounter: only root may mount %1 with cifs, or a user when "
                                        "/etc/fstab lists it with the \"user\" option")
                             .arg(share));
        return {};
    }
    if (isMountPoint(*mountPoint))
        return {true, *mountPoint};
    const QString program = QStandardPaths::findExecutable(QStringLiteral("mount"), systemPrograms);
    const ProgramRun mount = run(program, {*mountPoint}, m_limit);
    if (mount.exitCode != 0) {
        SystemLog::write(
            QStringLiteral("Mounter: mount %1 failed: %2").arg(*mountPoint, mount.output));
        return {};
    }
    return {true, *mountPoint};
}
