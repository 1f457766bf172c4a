#pragma once

#include "alerts/AlertPresenter.h"
#include "alerts/AppAlert.h"

#include <QList>

#include <memory>

// The alerts of the application. Every alert is recorded, so that the request that
// raised it can report it to the process that asked (which prints it as
// "TITLE: MESSAGE" and exits non-zero); where there is a display, it is also shown
// modally, in front, before runModalAlert returns.
class AppAlerts {
public:
    // Without a presenter (no display) alerts are only recorded.
    explicit AppAlerts(std::unique_ptr<AlertPresenter> presenter = nullptr);

    void runModalAlert(
        const QString& title, const QString& message, const QString& informativeText = {});

    // The alerts recorded since the last call, oldest first.
    QList<AppAlert> takeAlerts();

private:
    std::unique_ptr<AlertPresenter> m_presenter;
    QList<AppAlert> m_recorded;
};
