#include "windows/KTStatusControllerDisplay.h"

#include "windows/RZStatusController.h"

#include <QProgressBar>

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

bool KTStatusControllerDisplay::isShown() const
{
    return m_controller.isShown();
}

// The controller shows its indicator while it runs and hides it when it stops; the
// terminal has none.
bool KTStatusControllerDisplay::isProgressRunning() const
{
    const QProgressBar* progress = m_controller.progress();
    return progress && !progress->isHidden();
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
