#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Tells every process of the user that a preferences domain was written, and hears
// when another process did: a D-Bus signal on the session bus, path /com/dovrane/Kestrova,
// interface com.dovrane.Kestrova.Preferences, member Changed, with two strings, the
// notification name ("Preferences Changed") and the domain. Signals arrive through the
// process's event loop.
//
// Without a bus (a script on a server) the notifier logs one line and stays mute: it
// posts nothing and hears nothing, and the domain is still read at each synchronisation.
class PreferencesNotifier : public QObject {
    Q_OBJECT

public:
    static const QString objectPath;
    static const QString interfaceName;
    static const QString signalName;

    PreferencesNotifier(QDBusConnection connection, QString domain, QObject* parent = nullptr);

    bool isConnected() const { return m_connection.isConnected(); }

    // Sends the signal, and returns once the bus has it, so that a process may exit
    // right after without losing it.
    void post();

Q_SIGNALS:
    // A process, this one included, posted the notification.
    void changed();

private Q_SLOTS:
    void receive(const QString& name, const QString& domain);

private:
    void waitForBus();

    QDBusConnection m_connection;
    QString m_domain;
};
