#pragma once

#include <QStringList>

// kestrova service: runs the instance of the session, com.dovrane.Kestrova on the
// session bus, which the other commands and the desktop hand their requests to. D-Bus
// starts it on demand; it quits after a few idle minutes unless it owns the clipboard.
int runServiceCommand(const QStringList& arguments);
