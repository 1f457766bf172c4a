#include "support/SecretService.h"

#include "support/Eventually.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace {

const QString serviceName = QStringLiteral("org.freedesktop.secrets");

bool serviceOwned()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(serviceName);
}

}

SecretService::SecretService()
{
    if (serviceOwned()) {
        m_failure = QStringLiteral("another Secret Service owns the bus name");
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* folder : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        environment.insert(QString::fromLatin1(folder), m_home.path());
    m_daemon.setProcessEnvironment(environment);
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon.start(QStringLiteral("gnome-keyring-daemon"),
        {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
            QStringLiteral("--components=secrets")});
    if (!m_daemon.waitForStarted()) {
        m_failure = QStringLiteral("gnome-keyring-daemon cannot start: ") + m_daemon.errorString();
        return;
    }
    // The login keyring, made with this password, becomes the default collection.
    // Written out at once: no event loop turns while the test waits.
    m_daemon.write("kestrova-keyring");
    m_daemon.waitForBytesWritten();
    m_daemon.closeWriteChannel();
    if (!eventually(serviceOwned))
        m_failure = QStringLiteral("gnome-keyring-daemon took no name on the bus");
}

SecretService::~SecretService()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished())
        m_daemon.kill();
    eventually([] { return !serviceOwned(); });
}
