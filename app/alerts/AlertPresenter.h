#pragma once

#include "alerts/AppAlert.h"

// Shows an alert to the user and returns once it is dismissed.
class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    virtual void runModal(const AppAlert& alert) = 0;
};
