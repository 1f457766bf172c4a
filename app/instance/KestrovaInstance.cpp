#include "instance/KestrovaInstance.h"

#include "AppController.h"
#include "instance/AppBusProtocol.h"
#include "instance/ApplicationBusObject.h"
#include "platform/SystemLog.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QGuiApplication>

namespace {

constexpr std::chrono::seconds defaultServiceIdleTime {180};

QClipboard* applicationClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        ? QGuiApplication::clipboard()
        : nullptr;
}

}

std::chrono::milliseconds KestrovaInstance::serviceIdleTime()
{
    // A test hook, not a setting: tests make the instance quit within seconds.
    bool valid = false;
    const int seconds = qEnvironmentVariableIntValue("KESTROVA_IDLE_SECONDS", &valid);
    if (valid && seconds >= 0)
        return std::chrono::seconds(seconds);
    return defaultServiceIdleTime;
}

KestrovaInstance::KestrovaInstance(AppController& controller, std::chrono::milliseconds idleTime)
    : m_controller(controller)
{
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idleTime);
    connect(&m_idleTimer, &QTimer::timeout, this, &KestrovaInstance::idleTimeElapsed);
    m_serveTimer.setSingleShot(true);
    m_serveTimer.setInterval(0);
    connect(&m_serveTimer, &QTimer::timeout, this, &KestrovaInstance::serveNext);
    if (QClipboard* clipboard = applicationClipboard()) {
        // Losing the clipboard to another program starts the idle time afresh.
        connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard && isIdle())
                restartIdleTimer();
        });
    }
    restartIdleTimer();
}

KestrovaInstance::~KestrovaInstance()
{
    releaseBusName();
}

bool KestrovaInstance::registerOnBus(QDBusConnection connection)
{
    if (!connection.isConnected())
        return false;
    auto busObject = std::make_unique<ApplicationBusObject>(*this);
    if (!connection.registerObject(
            AppBusProtocol::objectPath, busObject.get(), QDBusConnection::ExportAllSlots))
        return false;
    QDBusConnectionInterface* bus = connection.interface();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus->registerService(
        AppBusProtocol::serviceName, QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        connection.unregisterObject(AppBusProtocol::objectPath);
        return false;
    }
    m_connection = connection;
    m_busObject = std::move(busObject);
    return true;
}

void KestrovaInstance::submit(AppRequest request, Reply reply)
{
    m_idleTimer.stop();
    m_queue.push_back({std::move(request), std::move(reply)});
    // Served from the event loop, never inside the caller: a request may come in while
    // an alert of the one before runs its own loop, and then waits for it.
    m_serveTimer.start();
}

void KestrovaInstance::serveNext()
{
    if (m_busy || m_queue.empty())
        return;
    m_busy = true;
    Pending pending = std::move(m_queue.front());
    m_queue.pop_front();
    const AppRequestOutcome outcome = m_controller.perform(pending.request);
    m_busy = false;
    pending.reply(outcome);
    if (m_queue.empty())
        restartIdleTimer();
    else
        m_serveTimer.start();
}

void KestrovaInstance::restartIdleTimer()
{
    m_idleTimer.start();
}

void KestrovaInstance::idleTimeElapsed()
{
    if (!isIdle())
        return;
    if (ownsClipboard()) {
        SystemLog::write(QStringLiteral("Kestrova keeps running: it owns the clipboard"));
        return;
    }
    // Calls already on their way are served before the end; once the name is given
    // up, new ones start another instance.
    releaseBusName();
    QCoreApplication::processEvents();
    if (!isIdle()) {
        m_serveTimer.start();
        return;
    }
    Q_EMIT finished();
}

void KestrovaInstance::releaseBusName()
{
    if (!m_connection)
        return;
    m_connection->interface()->unregisterService(AppBusProtocol::serviceName);
    m_connection->unregisterObject(AppBusProtocol::objectPath);
    m_connection.reset();
}

bool KestrovaInstance::ownsClipboard()
{
    const QClipboard* clipboard = applicationClipboard();
    return clipboard && clipboard->ownsClipboard();
}
