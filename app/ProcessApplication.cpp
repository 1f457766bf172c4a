#include "ProcessApplication.h"

#include "DisplayProbe.h"
#include "platform/StepTrace.h"
#include "volumes/MountWindows.h"
#include "windows/PasswordDialog.h"
#include "windows/RZStatusController.h"
#include "windows/StatusControllerDisplay.h"

#include <QApplication>

#include <memory>

namespace {

// Qt reads options of its own from the arguments it is given (-platform,
// -platformpluginpath, -style, -reverse, also spelt with "--") and takes them out, even
// after "--". A path or a text on the command line is Kestrova's, never an instruction
// to Qt: Qt gets the program name alone.
int qtArgumentCount = 1;
char* qtArguments[2] = {nullptr, nullptr};
bool applicationWantsDisplay = false;
std::unique_ptr<QCoreApplication>* applicationOwner = nullptr;

std::unique_ptr<QCoreApplication> make()
{
    if (applicationWantsDisplay && DisplayProbe::displayPresent()) {
        StepTrace::step("app: display probed");
        auto made = std::make_unique<QApplication>(qtArgumentCount, qtArguments);
        StepTrace::step("app: QApplication made");
        // Alerts and the status window come and go; the last of them closing ends
        // nothing: the instance decides when it is done.
        QApplication::setQuitOnLastWindowClosed(false);
        if (RZStatusController::displayAvailable())
            MountWindows::installed().credentialDialog = &PasswordDialog::ask;
        return made;
    }
    return std::make_unique<QCoreApplication>(qtArgumentCount, qtArguments);
}

}

namespace ProcessApplication {

void prepare(char* programName, bool wantsDisplay, std::unique_ptr<QCoreApplication>& owner)
{
    qtArguments[0] = programName;
    applicationWantsDisplay = wantsDisplay;
    applicationOwner = &owner;
    // The status goes where the process's controller puts it: the status window once the
    // application with a display has made it, else the terminal.
    MountWindows::installed().statusDisplay = StatusControllerDisplay::sharedController();
}

QCoreApplication& ensure()
{
    if (QCoreApplication* existing = QCoreApplication::instance())
        return *existing;
    Q_ASSERT(applicationOwner);
    *applicationOwner = make();
    return **applicationOwner;
}

}
