#include "diagnostics/ExceptionDescription.h"

#include <cxxabi.h>

#include <exception>

namespace {

const char* const noReason = "";

}

ExceptionDescription::ExceptionDescription(const std::type_info& type, const char* reason)
    : m_type(type)
    , m_demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, nullptr))
    , m_reason(reason ? reason : noReason)
{
}

ExceptionDescription ExceptionDescription::ofThrown(const std::type_info& type, void* object)
{
    // The C++ runtime's own test of whether a handler for std::exception would catch the
    // object, which also moves the pointer to that base.
    void* base = object;
    if (typeid(std::exception).__do_catch(&type, &base, 1))
        return {type, static_cast<const std::exception*>(base)->what()};
    return {type, noReason};
}

const std::type_info* ExceptionDescription::currentType()
{
    return abi::__cxa_current_exception_type();
}

ExceptionDescription ExceptionDescription::ofCurrent()
{
    const std::type_info& type = *currentType();
    try {
        throw;
    } catch (const std::exception& exception) {
        return {type, exception.what()};
    } catch (...) {
        return {type, noReason};
    }
}
