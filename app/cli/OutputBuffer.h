#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// What a command prints, gathered in one large buffer and written to a stream in big
// chunks: a run over thousands of files then costs a few writes, not a few per line.
// Text goes in as UTF-8 in one of three forms: as it is (the command's own words),
// terminal-safe (the escapes of ControlEscapes, for names and fields from strangers) or
// as the contents of a JSON string.
class OutputBuffer {
public:
    explicit OutputBuffer(std::FILE* stream);
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Inline: most of what is written is a few bytes of the command's own words.
    void append(std::string_view bytes)
    {
        std::memcpy(tail(bytes.size()), bytes.data(), bytes.size());
        m_size += bytes.size();
    }
    void appendUtf8(QStringView text);
    void appendEscaped(QStringView text);
    void appendJsonString(QStringView text);
    void appendNumber(qint64 number);
    void appendHex8(quint32 number);

    // Marks the end of one item (a file's report): writes the buffer once it is large, or
    // at once where the stream is a terminal.
    void endItem();
    // Writes what is left and flushes the stream; false when any write failed.
    bool finish();

private:
    qsizetype appendPrintableAscii(QStringView text, qsizetype index, bool json);
    void appendCodeUnits(QStringView text, qsizetype& index);
    void appendUnicodeEscape(char16_t character);
    // Room for count more bytes after the last one written, growing the buffer if need be.
    char* tail(size_t count)
    {
        if (m_bytes.size() - m_size < count)
            grow(count);
        return m_bytes.data() + m_size;
    }
    void grow(size_t count);
    void write();

    std::FILE* m_stream;
    size_t m_chunkSize;
    // Bytes written so far are the first m_size; the rest is room, never cleared.
    std::vector<char> m_bytes;
    size_t m_size = 0;
    bool m_failed = false;
};
