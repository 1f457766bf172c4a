#include "windows/StatusControllerDisplay.h"

#include "windows/RZStatusController.h"

#include <QProgressBar>

#include <optional>

StatusControllerDisplay::StatusControllerDisplay(RZStatusController& controller)
    : m_controller(controller)
{
}

void StatusControllerDisplay::setTitle(const QString& title)
{
    m_controller.setTitle(title);
}

void StatusControllerDisplay::showWithProgressEnabled(bool progressEnabled)
{
    m_controller.showWithProgressEnabled(progressEnabled);
}

void StatusControllerDisplay::hideNow()
{
    m_controller.hideNow();
}

bool StatusControllerDisplay::isShown() const
{
    return m_controller.isShown();
}

// The controller shows its indicator while it runs and hides it when it stops; the
// terminal has none.
bool StatusControllerDisplay::isProgressRunning() const
{
    const QProgressBar* progress = m_controller.progress();
    return progress && !progress->isHidden();
}

StatusDisplaySource StatusControllerDisplay::sharedController()
{
    return [display = std::optional<StatusControllerDisplay>()]() mutable -> StatusDisplay* {
        RZStatusController* controller = RZStatusController::sharedStatusController();
        if (!controller)
            return nullptr;
        display.emplace(*controller);
        return &*display;
    };
}
