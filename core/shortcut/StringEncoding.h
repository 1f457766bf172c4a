#pragma once

#include <QtGlobal>

// String encodings of a shortcut's 8-bit and Unicode strings, identified by their
// Windows code-page numbers.
namespace StringEncoding {

constexpr quint32 None = 0; // no encoding: a shortcut made from a mount string
constexpr quint32 Utf16LE = 1200;
constexpr quint32 Latin1 = 28591; // ISO 8859-1, the first reading of every 8-bit string
constexpr quint32 Windows1252 = 1252;
constexpr quint32 MacRoman = 10000;

}
