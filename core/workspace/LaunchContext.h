#pragma once

#include "platform/GObjectRef.h"

#include <QByteArray>
#include <QtGlobal>

#include <gio/gio.h>

// The GAppLaunchContext Kestrova launches applications with: the child gets DISPLAY
// of the X server we talk to, and applications whose desktop entry has
// StartupNotify=true get a startup-notification ID (DESKTOP_STARTUP_ID) ending in
// "_TIME<server time>", which tells the window manager that the user asked for the
// window just now, so focus-stealing prevention lets it come to the front.
namespace LaunchContext {

// displayName empty: no X server, so neither DISPLAY nor a startup ID is given.
GObjectRef<GAppLaunchContext> create(const QByteArray& displayName, quint32 serverTime);

}
