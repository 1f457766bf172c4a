#pragma once

#include <QDBusConnection>

// The session bus that tests/harness/with-session-bus or with-file-server runs around a
// test program: one of its own, which starts no installed program's service.
namespace SessionBus {

// Whether this process's session bus is such a bus; tests that use a bus assert it, so
// that they never talk to the user's desktop.
bool isPrivate();
// A new connection of this process, as another client of the bus has.
QDBusConnection connect();

}
