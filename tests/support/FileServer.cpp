#include "support/FileServer.h"

#include "platform/FolderListing.h"
#include "support/Eventually.h"

#include <QDir>
#include <QProcess>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace FileServer {
namespace {

// How long GVfs may take to show or forget a mount before a helper gives up.
constexpr std::chrono::milliseconds settleLimit {10000};

QStringList lines(const char* variable)
{
    return qEnvironmentVariable(variable).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString encoded(const QString& share)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(share));
}

QStringList fuseEntries()
{
    return QDir(qEnvironmentVariable("KESTROVA_GVFS_FUSE"))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
}

bool runGio(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess gio;
    gio.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    gio.start(u"gio"_s, QStringList {u"mount"_s} + arguments);
    gio.write(input);
    gio.closeWriteChannel();
    return gio.waitForFinished(int(settleLimit.count() * 3))
        && gio.exitStatus() == QProcess::NormalExit && gio.exitCode() == 0;
}

}

bool isRunning()
{
    return !qEnvironmentVariableIsEmpty("KESTROVA_FILE_SERVER");
}

QString address()
{
    return qEnvironmentVariable("KESTROVA_FILE_SERVER");
}

QString user()
{
    return qEnvironmentVariable("KESTROVA_SMB_USER");
}

QString password()
{
    return qEnvironmentVariable("KESTROVA_SMB_PASSWORD");
}

QStringList guestShares()
{
    return lines("KESTROVA_GUEST_SHARES");
}

QStringList nfsExports()
{
    return lines("KESTROVA_NFS_EXPORTS");
}

QString shareFolder(const QString& share)
{
    return qEnvironmentVariable("KESTROVA_SHARES_ROOT") + QLatin1Char('/') + share;
}

QString smbURL(const QString& share, const QString& user)
{
    return u"smb://%1%2/%3"_s.arg(
        user.isEmpty() ? QString() : user + QLatin1Char('@'), address(), encoded(share));
}

std::optional<QString> gvfsFolder(const QString& share)
{
    const QString name =
        u"smb-share:server=%1,share=%2"_s.arg(address().toLower(), encoded(share.toLower()));
    // GVfs escapes a space in the folder's name but keeps letters beyond ASCII as they
    // are: names are compared decoded.
    const QString decodedName = QUrl::fromPercentEncoding(name.toUtf8());
    for (const QString& entry : fuseEntries()) {
        const QString decoded = QUrl::fromPercentEncoding(entry.toUtf8());
        if (decoded == decodedName || decoded.startsWith(decodedName + QLatin1Char(',')))
            return QDir(qEnvironmentVariable("KESTROVA_GVFS_FUSE")).filePath(entry);
    }
    return std::nullopt;
}

bool gioMount(const QString& share, bool withAccount)
{
    const bool mounted = withAccount
        ? runGio({smbURL(share, user())}, (u'\n' + password() + u'\n').toUtf8())
        : runGio({u"-a"_s, smbURL(share)});
    return mounted
        && eventually(
            [&] {
                const std::optional<QString> folder = gvfsFolder(share);
                return folder && FolderListing::canList(*folder);
            },
            settleLimit);
}

bool gioUnmount(const QString& share)
{
    const std::optional<QString> folder = gvfsFolder(share);
    return folder && runGio({u"-u"_s, *folder})
        && eventually([&] { return !gvfsFolder(share); }, settleLimit);
}

void unmountEverything()
{
    for (const char* scheme : {"smb", "nfs"})
        runGio({u"-s"_s, QString::fromLatin1(scheme)});
    eventually([] { return fuseEntries().isEmpty(); }, settleLimit);
}

}

void FileServerTest::SetUp()
{
    KESTROVA_REQUIRE_FILE_SERVER();
    FileServer::unmountEverything();
}

void FileServerTest::TearDown()
{
    if (FileServer::isRunning())
        FileServer::unmountEverything();
}
