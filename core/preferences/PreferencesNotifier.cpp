#include "preferences/PreferencesNotifier.h"

#include "platform/SystemLog.h"
#include "preferences/PreferenceKeys.h"

#include <QDBusError>
#include <QDBusMessage>

namespace {

// A bus that does not answer a round trip within this time is not going to; the store
// works on without it.
constexpr int busTimeoutMilliseconds = 5000;

}

const QString PreferencesNotifier::objectPath = QStringLiteral("/com/dovrane/Kestrova");
const QString PreferencesNotifier::interfaceName =
    QStringLiteral("com.dovrane.Kestrova.Preferences");
const QString PreferencesNotifier::signalName = QStringLiteral("Changed");

PreferencesNotifier::PreferencesNotifier(
    QDBusConnection connection, QString domain, QObject* parent)
    : QObject(parent)
    , m_connection(std::move(connection))
    , m_domain(std::move(domain))
{
    if (!m_connection.isConnected()) {
        SystemLog::write(QStringLiteral("No session bus (%1); settings changes of other processes "
                                        "are seen only when this one synchronises")
                             .arg(m_connection.lastError().message()));
        return;
    }
    // Any sender: the notification comes from whichever process wrote the domain.
    const bool listening = m_connection.connect(
        QString(), objectPath, interfaceName, signalName, this, SLOT(receive(QString, QString)));
    if (!listening) {
        SystemLog::write(QStringLiteral("Cannot listen for settings changes on the session bus: %1")
                             .arg(m_connection.lastError().message()));
    }
    // The bus applies the match rule before it answers the round trip; from then on no
    // change announced by another process can be missed.
    waitForBus();
}

void PreferencesNotifier::post()
{
    if (!isConnected())
        return;
    QDBusMessage message = QDBusMessage::createSignal(objectPath, interfaceName, signalName);
    message << KTNOTIFICATIONNAME << m_domain;
    if (!m_connection.send(message)) {
        SystemLog::write(
            QStringLiteral("Cannot announce the settings change on the session bus: %1")
                .arg(m_connection.lastError().message()));
        return;
    }
    waitForBus();
}

void PreferencesNotifier::receive(const QString& name, const QString& /*domain*/)
{
    // The notification is heard from any domain, as an observer with no object would.
    if (name == KTNOTIFICATIONNAME)
        Q_EMIT changed();
}

void PreferencesNotifier::waitForBus()
{
    // A connection sends its messages in order, so once the bus has answered a call
    // made after a message, it has read that message.
    const QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("GetId"));
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, busTimeoutMilliseconds);
    if (reply.type() == QDBusMessage::ErrorMessage)
        SystemLog::write(
            QStringLiteral("The session bus did not answer: %1").arg(reply.errorMessage()));
}
