#pragma once

#include "volumes/StatusDisplay.h"

class RZStatusController;

// The mounter's view of a status controller.
class StatusControllerDisplay final : public StatusDisplay {
public:
    explicit StatusControllerDisplay(RZStatusController& controller);

    void setTitle(const QString& title) override;
    void showWithProgressEnabled(bool progressEnabled) override;
    void hideNow() override;
    bool isShown() const override;
    bool isProgressRunning() const override;

    // Gives the process's controller (RZStatusController::sharedStatusController()) at
    // each call, or null while the process has none.
    static StatusDisplaySource sharedController();

private:
    RZStatusController& m_controller;
};
