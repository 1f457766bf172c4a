#pragma once

#include "volumes/KTStatusDisplay.h"

class RZStatusController;

// The mounter's view of a status controller.
class KTStatusControllerDisplay final : public KTStatusDisplay {
public:
    explicit KTStatusControllerDisplay(RZStatusController& controller);

    void setTitle(const QString& title) override;
    void showWithProgressEnabled(bool progressEnabled) override;
    void hideNow() override;
    bool isShown() const override;
    bool isProgressRunning() const override;

    // Gives the process's controller (RZStatusController::sharedStatusController()) at
    // each call, or null while the process has none.
    static KTStatusDisplaySource sharedController();

private:
    RZStatusController& m_controller;
};
