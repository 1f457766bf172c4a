#pragma once

#include <QByteArray>
#include <QString>

// New files in a share that GVfs mounts, made through GIO: GIO asks the GVfs daemon of the
// share itself, while GVfs's FUSE folder first looks each new name up and then fetches the
// new file's attributes, a round trip to the server each time.
namespace GvfsFiles {

enum class Outcome { Done, NameTaken, Failed };

struct Attempt {
    Outcome outcome = Outcome::Done;
    QString reason;
};

// Creates the file, holding the bytes, closed: a name already taken is left as it is, and
// a file that cannot be written whole is removed again.
Attempt create(const QString& path, const QByteArray& bytes);

// Renames a file inside its folder where the new name is not taken.
Attempt renameWhereNone(const QString& from, const QString& to);

void remove(const QString& path);

}
