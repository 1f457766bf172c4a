#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A session bus of the test's own (a dbus-daemon living as long as this object), so that
// tests never talk to the user's desktop; programs reach it through environment(). It has
// no service folder, so it never starts an installed program's service.
class PrivateSessionBus {
public:
    // Starts the daemon and waits for its address; failure() says why it is not running.
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    const QString& failure() const { return m_failure; }
    const QString& address() const { return m_address; }

    // The given environment with DBUS_SESSION_BUS_ADDRESS set to this bus.
    QProcessEnvironment environment(
        QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

    // A new connection of this process to the bus, closed when the bus object goes.
    QDBusConnection connect();

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
    QString m_failure;
    QStringList m_connectionNames;
};
