#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

// One settings window per session. The first start owns the session-bus name
// com.dovrane.Kestrova.Settings and serves org.freedesktop.Application's Activate on
// /com/dovrane/Kestrova/Settings by raising its window; a later start calls Activate on
// it and ends. Without a session bus every start has a window of its own.
class SettingsInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    static const QString serviceName;
    static const QString objectPath;

    enum class Role {
        First, // owns the name: shows the window
        Later, // handed over to the first: ends
        Alone, // no bus: shows a window of its own
    };

    explicit SettingsInstance(QDBusConnection connection, QObject* parent = nullptr);
    ~SettingsInstance() override;

    // Claims the name, or activates its owner.
    Role claim();

Q_SIGNALS:
    void activationRequested();

public Q_SLOTS:
    void Activate(const QVariantMap& platformData);

private:
    bool registerName();
    bool activateOwner();

    QDBusConnection m_connection;
    bool m_owner = false;
};
