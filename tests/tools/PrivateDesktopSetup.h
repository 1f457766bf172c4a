#pragma once

#include "tools/PrivateDesktop.h"

// The private desktop of the whole test program, applied before the first test.
const PrivateDesktop& privateDesktop();
