#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

class KestrovaInstance;
namespace AppBusProtocol {
struct ParsedRequest;
}

// The running instance's org.freedesktop.Application object on the session bus. Every
// call is answered when its request has been served (a delayed reply), with an error
// carrying the failures' lines when it failed; the caller waits that long.
class ApplicationBusObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit ApplicationBusObject(KestrovaInstance& instance);

public Q_SLOTS:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(
        const QString& actionName, const QVariantList& parameter, const QVariantMap& platformData);

private:
    void submit(const AppBusProtocol::ParsedRequest& parsed, const QVariantMap& platformData);

    KestrovaInstance& m_instance;
};
