#include "volumes/KTStatusControllerDisplay.h"

#include "status/RZStatusController.h"

#include <optional>

KTStatusControllerDisplay::KTStatusControllerDisplay(RZStatusController& controller)
    : m_controller(controller)
{
}

void KTStatusControllerDisplay::setTitle(const QString& title)
{
    m_controller.setTitle(title);
}

void KTStatusControllerDisplay::showWithProgressEnabled(bool progressEnabled)
{
    m_controller.showWithProgressEnabled(progressEnabled);
}

void KTStatusControllerDisplay::hideNow()
{
    m_controller.hideNow();
}

KTStatusDisplaySource KTStatusControllerDisplay::sharedController()
{
    return [display = std::optional<KTStatusControllerDisplay>()]() mutable -> KTStatusDisplay* {
        RZStatusController* controller = RZStatusController::sharedStatusController();
        if (!controller)
            return nullptr;
        display.emplace(*controller);
        return &*display;
    };
}
