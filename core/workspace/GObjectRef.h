#pragma once

// The wrapper moved to the platform library; this name stays for the includes that still
// use it.
#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"
