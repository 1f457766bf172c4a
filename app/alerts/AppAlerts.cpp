#include "alerts/AppAlerts.h"

#include "platform/SystemLog.h"

AppAlerts::AppAlerts(std::unique_ptr<AlertPresenter> presenter)
    : m_presenter(std::move(presenter))
{
}

void AppAlerts::runModalAlert(
    const QString& title, const QString& message, const QString& informativeText)
{
    const AppAlert alert {title, message, informativeText};
    m_recorded << alert;
    SystemLog::write(QStringLiteral("Alert ") + alert.line());
    if (m_presenter)
        m_presenter->runModal(alert);
}

QList<AppAlert> AppAlerts::takeAlerts()
{
    return std::exchange(m_recorded, {});
}
