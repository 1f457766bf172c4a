#include "instance/ApplicationBusObject.h"

#include "instance/AppBusProtocol.h"
#include "instance/ControlKey.h"
#include "instance/KestrovaInstance.h"
#include "platform/StepTrace.h"

#include <QDBusConnection>
#include <QDBusMessage>

ApplicationBusObject::ApplicationBusObject(KestrovaInstance& instance)
    : m_instance(instance)
{
}

void ApplicationBusObject::Activate(const QVariantMap& platformData)
{
    submit({AppRequest::activate(), {}}, platformData);
}

void ApplicationBusObject::Open(const QStringList& uris, const QVariantMap& platformData)
{
    StepTrace::step("instance: Open received");
    // A desktop that calls us directly says nothing of the keys: read them on receipt.
    const QVariant sentState = platformData.value(AppBusProtocol::controlHeldKey);
    const bool controlHeld = sentState.isValid() ? sentState.toBool() : ControlKey::isHeld();
    submit(AppBusProtocol::fromOpen(uris, controlHeld), platformData);
}

void ApplicationBusObject::ActivateAction(
    const QString& actionName, const QVariantList& parameter, const QVariantMap& platformData)
{
    submit(AppBusProtocol::fromAction(actionName, parameter), platformData);
}

void ApplicationBusObject::submit(
    const AppBusProtocol::ParsedRequest& parsed, const QVariantMap& platformData)
{
    if (!parsed.request) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("kestrova: ") + parsed.problem);
        return;
    }
    if (!platformData.value(AppBusProtocol::waitForOutcomeKey).toBool()) {
        // Answered when this slot returns; the outcome shows in the instance's windows.
        m_instance.submit(*parsed.request, [](const AppRequestOutcome&) {});
        return;
    }
    setDelayedReply(true);
    m_instance.submit(
        *parsed.request, [call = message(), bus = connection()](const AppRequestOutcome& outcome) {
            StepTrace::step("instance: replying");
            bus.send(outcome.succeeded() ? call.createReply()
                                         : call.createErrorReply(AppBusProtocol::failureError,
                                             outcome.failures.join(QLatin1Char('\n'))));
        });
}
