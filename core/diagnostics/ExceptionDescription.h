#pragma once

#include <cstdlib>
#include <memory>
#include <typeinfo>

// The type and the reason of an exception as a report names them: the type demangled
// ("std::out_of_range"), the reason the exception's what() when it is a std::exception,
// else empty. Both stay valid while the exception object and the description live.
class ExceptionDescription {
public:
    ExceptionDescription(const std::type_info& type, const char* reason);

    // An object about to be thrown.
    static ExceptionDescription ofThrown(const std::type_info& type, void* object);
    // The exception being handled, as std::terminate sees it: its type (none when there
    // is none), and its description, for when there is one.
    static const std::type_info* currentType();
    static ExceptionDescription ofCurrent();

    const char* type() const { return m_demangled ? m_demangled.get() : m_type.name(); }
    const char* reason() const { return m_reason; }

private:
    struct FreeDeleter {
        void operator()(char* text) const { std::free(text); }
    };

    const std::type_info& m_type;
    std::unique_ptr<char, FreeDeleter> m_demangled;
    const char* m_reason;
};
