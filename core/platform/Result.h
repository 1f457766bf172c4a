#pragma once

#include <QString>

#include <utility>
#include <variant>

// Why an operation failed, in words a user can read ("no such file", "not a shortcut").
struct Failure {
    QString reason;
};

// The value of an operation that can fail, or the reason it failed. Callers test it
// like a pointer and read the reason where they report it:
//
//     Result<QByteArray> bytes = readFile(path);
//     if (!bytes)
//         return Failure{path + QStringLiteral(": ") + bytes.reason()};
template<typename T> class [[nodiscard]] Result {
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    {
    }
    Result(Failure failure)
        : m_state(std::in_place_index<1>, std::move(failure))
    {
    }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only on success.
    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    // Only on failure.
    const QString& reason() const { return std::get<1>(m_state).reason; }
    Failure failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, Failure> m_state;
};

// An operation that gives nothing but can fail.
template<> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure)
        : m_failed(true)
        , m_reason(std::move(failure.reason))
    {
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& reason() const { return m_reason; }
    Failure failure() const { return Failure {m_reason}; }

private:
    bool m_failed = false;
    QString m_reason;
};
