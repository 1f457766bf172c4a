#include "support/PrivateSessionBus.h"

#include <QDeadlineTimer>

constexpr int startTimeoutMilliseconds = 10000;

PrivateSessionBus::PrivateSessionBus()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
        {QStringLiteral("--session"), QStringLiteral("--print-address"),
            QStringLiteral("--nofork")});
    if (!m_daemon.waitForStarted(startTimeoutMilliseconds)) {
        m_failure = QStringLiteral("dbus-daemon did not start: %1").arg(m_daemon.errorString());
        return;
    }
    // The daemon prints its address, one line, once it listens.
    const QDeadlineTimer deadline(startTimeoutMilliseconds);
    while (
        !m_daemon.canReadLine() && !deadline.hasExpired() && m_daemon.state() == QProcess::Running)
        m_daemon.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (address.isEmpty()) {
        m_failure = QStringLiteral("dbus-daemon printed no address: %1")
                        .arg(QString::fromLocal8Bit(m_daemon.readAllStandardError()));
        return;
    }
    m_address = address;
}

PrivateSessionBus::~PrivateSessionBus()
{
    for (const QString& name : m_connectionNames)
        QDBusConnection::disconnectFromBus(name);
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(startTimeoutMilliseconds)) {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
}

QProcessEnvironment PrivateSessionBus::environment(QProcessEnvironment base) const
{
    base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    return base;
}

QDBusConnection PrivateSessionBus::connect()
{
    static int connectionCount = 0;
    const QString name = QStringLiteral("kestrova-private-bus-%1").arg(++connectionCount);
    m_connectionNames << name;
    return QDBusConnection::connectToBus(m_address, name);
}
