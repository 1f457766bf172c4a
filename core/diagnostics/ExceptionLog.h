#pragma once

#include <QString>

// The exception log of a Kestrova program: a report of every C++ exception thrown in
// the process (caught or not), of std::terminate and of the fatal signals, appended to
// one file the user can send us.
namespace ExceptionLog {

// $XDG_STATE_HOME/kestrova/exceptions.log, or ~/.local/state/kestrova/exceptions.log
// where XDG_STATE_HOME is unset or not an absolute path.
QString defaultPath();

// Installs the log for the rest of the process, reporting to path (its folder is made
// on the first report). Call it once, first thing in main; a later call changes the file.
void install(const QString& path = defaultPath());

}
