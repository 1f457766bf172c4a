#pragma once

#include <cstddef>
#include <cstdint>

// The text of one report, built in memory the caller gives it, so that the fatal-signal
// handler can build a report without allocating. Text that does not fit is dropped; the
// last bytes are kept for the report's closing, which always fits.
class ReportBuffer {
public:
    static constexpr std::size_t kClosingRoom = 2;

    // capacity must exceed kClosingRoom.
    ReportBuffer(char* storage, std::size_t capacity);

    void append(const char* text);
    void append(const char* bytes, std::size_t length);
    void appendDecimal(std::uint64_t value);
    void appendHex(std::uintptr_t value); // 0x1f, as the symbolising command reads it
    // Text that may use the room kept for the closing.
    void appendClosing(const char* text);

    const char* data() const { return m_storage; }
    std::size_t size() const { return m_size; }
    std::size_t room() const { return m_capacity - kClosingRoom - m_size; }
    // Ends the text with a NUL inside the capacity (dropping a last byte if need be), for
    // calls that take C strings.
    const char* cString();

private:
    void appendWithin(const char* bytes, std::size_t length, std::size_t limit);

    char* m_storage;
    std::size_t m_capacity;
    std::size_t m_size = 0;
};
