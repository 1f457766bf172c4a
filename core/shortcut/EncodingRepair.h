#pragma once

#include "shortcut/StringEncoding.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>
#include <span>

// Decodes 8-bit strings of a shortcut in any code page glibc's iconv converts, and finds
// the code page in which stored path bytes spell the tail of a known Unicode text.
//
// Candidates, in the order that decides between code pages decoding the same bytes
// alike: the Windows ANSI code pages, the OEM (DOS) code pages, ISO 8859-1 to -16, Mac
// Roman. Code pages this glibc cannot convert are left out. Decoding is strict: a byte
// sequence the code page does not define makes the decoding fail.
//
// The converters are opened once, on first use, and kept for the life of the process;
// a lock makes the shared instance safe to use from any thread.
class EncodingRepair {
public:
    static const EncodingRepair& shared();

    EncodingRepair();
    ~EncodingRepair();
    EncodingRepair(const EncodingRepair&) = delete;
    EncodingRepair& operator=(const EncodingRepair&) = delete;

    // The code pages tried by matchingEncoding, in order.
    std::span<const quint32> candidates() const;

    // The text the bytes spell in the encoding, or none when the encoding is unknown or
    // does not define the bytes. UTF-16LE and Latin-1 need no converter.
    std::optional<QString> decode(QByteArrayView bytes, quint32 encoding) const;

    // The first candidate whose decoding of the bytes equals the hint's last characters
    // of the same count. Both texts are compared in Unicode normal form C, so canonically
    // equivalent spellings compare equal; the comparison is case-sensitive.
    // EncodingMatcher matches one byte string against many hints.
    std::optional<quint32> matchingEncoding(QByteArrayView bytes, const QString& hint) const;

    // What EncodingMatcher needs of the candidate at an index of candidates(): its
    // decoding of the bytes in normal form C (none where it does not define them),
    // whether it reads bytes 0x00 to 0x7F as ASCII, and a length in UTF-16 units that the
    // normal form of its decoding of that many bytes never falls below.
    std::optional<QString> normalCandidateText(size_t index, QByteArrayView bytes) const;
    bool keepsAscii(size_t index) const;
    qsizetype shortestNormalLength(size_t index, qsizetype byteCount) const;

    // A human name such as "Western (Windows 1252)"; "code page N" for unknown numbers.
    static QString encodingName(quint32 encoding);

    static QString decodeLatin1(QByteArrayView bytes);
    static QString decodeUtf16LE(QByteArrayView bytes);

private:
    struct Converters;
    std::unique_ptr<Converters> m_converters;
};
