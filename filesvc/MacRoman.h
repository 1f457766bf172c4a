#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The Mac OS Roman character set, in which classic Mac names (resource names, the
// names of an alias record) are written: ASCII below 0x80, a fixed table above.
namespace MacRoman {

QString decode(QByteArrayView bytes);
// None when a character has no Mac Roman form.
std::optional<QByteArray> encode(QStringView text);
// Every character without a Mac Roman form becomes "?".
QByteArray encodeLossy(QStringView text);

}
