#pragma once

#include <QCoreApplication>

#include <memory>

// The Qt application object of the process, made when it is first needed. Commands
// that only hand their request to the running instance never need one; the others
// make it at once. Commands that may show windows (alerts, the status window,
// questions) get a QApplication where there is a display; everything else, and those
// commands in a terminal without one, a core application, so they work over ssh and
// in scripts.
namespace ProcessApplication {

// Says how to make the application and where to keep it: main() owns it, so that it
// goes before the process's static objects do. Makes nothing yet.
void prepare(char* programName, bool wantsDisplay, std::unique_ptr<QCoreApplication>& owner);

// The application, made now if it was not made yet.
QCoreApplication& ensure();

}
