#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A Linux file name is bytes. Most names are UTF-8, but names from old shares and
// archives are often Latin-1, and decoding those lossily (as FileNames::decode does)
// gives a name that no longer opens the file. decode keeps every byte that is not
// part of a valid UTF-8 sequence as the lone surrogate U+DC00 + byte, as Python's
// "surrogateescape" does; encode gives exactly the bytes back. Valid UTF-8 never
// decodes to such a surrogate, so the mapping is reversible for every name.
namespace FileNames {

QString decode(QByteArrayView name);
QByteArray encode(const QString& name);

// Whether the character at index is one of decode's escaped bytes: a low surrogate
// in U+DC80-U+DCFF that does not complete a pair.
bool isEscapedByte(QStringView text, qsizetype index);

}
