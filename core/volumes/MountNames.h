#pragma once

#include <QByteArrayView>
#include <QString>

// How names read from the mount table become text.
namespace MountNames {

// The bytes up to the first zero byte read as a file name (UTF-8).
QString fileName(QByteArrayView name);

// The file name of the bytes, then with its percent
// escapes replaced, so that a mount source holding %20 reads with a space. When the
// escapes decode to bytes that are no valid UTF-8 the name is kept with its escapes, so
// that a name is never lost.
QString decode(QByteArrayView name);

}
