#pragma once

#include <typeinfo>

class YCExceptionHandler;

// Sees every C++ exception thrown in the process, caught or not: the program's own
// __cxa_throw stands in front of the C++ runtime's (and of a sanitizer's, which stands in
// front of the runtime's in its turn). It reports the exception with the stack of its
// thrower, then hands the throw on unchanged. Throws while the hook reports, or while no
// handler is set, go on without a report.
namespace ThrowHook {

// The handler that gets the reports from now on; null stops them. The handler must
// outlive every throw that may report to it.
void install(YCExceptionHandler* handler);

// Whether the last exception thrown on this thread while a handler was set was of this
// type, so that std::terminate knows it was reported.
bool sawLastThrowOf(const std::type_info& type);

}
