#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A D-Bus session bus of the test's own: a dbus-daemon started for the test and
// stopped with this object, so that tests never talk to the user's desktop session.
// Programs the test starts reach it through environment(); the test itself through
// connect().
class PrivateSessionBus {
public:
    // Starts the daemon and waits for its address; isRunning() says whether it worked,
    // and failure() why not.
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    const QString& failure() const { return m_failure; }
    const QString& address() const { return m_address; }

    // The given environment (the test's own by default) with DBUS_SESSION_BUS_ADDRESS
    // set to this bus.
    QProcessEnvironment environment(
        QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

    // A new connection of this process to the bus, closed when the bus object goes.
    QDBusConnection connect();

private:
    QProcess m_daemon;
    QString m_address;
    QString m_failure;
    QStringList m_connectionNames;
};
