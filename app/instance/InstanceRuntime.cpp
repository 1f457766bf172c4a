#include "instance/InstanceRuntime.h"

#include "alerts/MessageBoxAlertPresenter.h"
#include "alerts/ProgramTargetQuestion.h"
#include "shortcut/OpeningServices.h"
#include "windows/RZStatusController.h"

#include <QCoreApplication>

namespace {

std::unique_ptr<AlertPresenter> presenterForDisplay()
{
    if (!RZStatusController::displayAvailable())
        return nullptr;
    return std::make_unique<MessageBoxAlertPresenter>();
}

}

InstanceRuntime::InstanceRuntime(std::chrono::milliseconds idleTime)
    : m_alerts(presenterForDisplay())
    , m_environment(AppEnvironment::systemEnvironment(m_alerts))
    , m_controller(m_environment)
    , m_instance(m_controller, idleTime)
{
    m_controller.applicationDidFinishLaunching();
    // A shortcut's target that is a program opens only when the user says so.
    OpeningServices::shared().confirmProgramTarget = ProgramTargetQuestion::ask;
    QObject::connect(&m_instance, &KestrovaInstance::finished, QCoreApplication::instance(),
        &QCoreApplication::quit);
}

int InstanceRuntime::run()
{
    return QCoreApplication::exec();
}
