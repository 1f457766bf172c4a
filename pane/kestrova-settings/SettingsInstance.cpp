#include "SettingsInstance.h"

#include "platform/SystemLog.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

const QString SettingsInstance::serviceName = QStringLiteral("com.dovrane.Kestrova.Settings");
const QString SettingsInstance::objectPath = QStringLiteral("/com/dovrane/Kestrova/Settings");

namespace {

constexpr int kActivateTimeoutMilliseconds = 10000;

}

SettingsInstance::SettingsInstance(QDBusConnection connection, QObject* parent)
    : QObject(parent)
    , m_connection(std::move(connection))
{
}

SettingsInstance::~SettingsInstance()
{
    if (!m_owner)
        return;
    m_connection.unregisterObject(objectPath);
    m_connection.interface()->unregisterService(serviceName);
}

SettingsInstance::Role SettingsInstance::claim()
{
    if (!m_connection.isConnected())
        return Role::Alone;
    // The owner may end between our attempt and our call: then the name is free again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (registerName())
            return Role::First;
        if (activateOwner())
            return Role::Later;
    }
    SystemLog::write(QStringLiteral("The settings window neither owns %1 nor reaches its owner")
                         .arg(serviceName));
    return Role::Alone;
}

bool SettingsInstance::registerName()
{
    // The object first: a caller that sees the name finds the object behind it.
    if (!m_connection.registerObject(objectPath, this, QDBusConnection::ExportAllSlots))
        return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_connection.interface()->registerService(serviceName,
            QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_owner = true;
        return true;
    }
    m_connection.unregisterObject(objectPath);
    return false;
}

bool SettingsInstance::activateOwner()
{
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath,
        QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
    QVariantMap platformData;
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");
    if (!startupId.isEmpty())
        platformData.insert(QStringLiteral("desktop-startup-id"), QString::fromUtf8(startupId));
    call << platformData;
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, kActivateTimeoutMilliseconds);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void SettingsInstance::Activate(const QVariantMap&)
{
    Q_EMIT activationRequested();
}
