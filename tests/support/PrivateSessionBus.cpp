#include "support/PrivateSessionBus.h"

#include <QDeadlineTimer>
#include <QFile>

using namespace Qt::StringLiterals;

constexpr int startTimeoutMilliseconds = 10000;

namespace {

// The session configuration without the standard service folders, where an installed
// program's service files lie.
const QByteArray configuration = "<busconfig>\n  <type>session</type>\n"
                                 "  <listen>unix:tmpdir=/tmp</listen>\n  <auth>EXTERNAL</auth>\n"
                                 "  <policy context=\"default\"><allow send_destination=\"*\"/>"
                                 "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy>\n"
                                 "</busconfig>\n";

}

PrivateSessionBus::PrivateSessionBus()
{
    const QString config = m_folder.filePath(u"bus.conf"_s);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(configuration) != configuration.size()
        || !file.flush()) {
        m_failure = u"cannot write the bus configuration in %1"_s.arg(m_folder.path());
        return;
    }
    m_daemon.start(
        u"dbus-daemon"_s, {u"--config-file="_s + config, u"--print-address"_s, u"--nofork"_s});
    if (!m_daemon.waitForStarted(startTimeoutMilliseconds)) {
        m_failure = u"dbus-daemon did not start: %1"_s.arg(m_daemon.errorString());
        return;
    }
    // The daemon prints its address, one line, once it listens.
    const QDeadlineTimer deadline(startTimeoutMilliseconds);
    while (
        !m_daemon.canReadLine() && !deadline.hasExpired() && m_daemon.state() == QProcess::Running)
        m_daemon.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (address.isEmpty()) {
        m_failure = u"dbus-daemon printed no address: %1"_s.arg(
            QString::fromLocal8Bit(m_daemon.readAllStandardError()));
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
    base.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_address);
    return base;
}

QDBusConnection PrivateSessionBus::connect()
{
    static int connectionCount = 0;
    const QString name = u"kestrova-private-bus-%1"_s.arg(++connectionCount);
    m_connectionNames << name;
    return QDBusConnection::connectToBus(m_address, name);
}
