#pragma once

#include "tools/PrivateDesktop.h"

// The private desktop every test of a program that uses it runs in. It is made and
// applied before the first test, so that GLib reads its XDG folders and never the
// user's.
const PrivateDesktop& privateDesktop();
