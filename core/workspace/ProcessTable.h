#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

// What /proc tells about processes of this machine.
namespace ProcessTable {

// Whether pid is a live process: it exists and has not exited (a zombie that its
// parent has not reaped yet counts as gone).
bool isAlive(qint64 pid);

// The parent of pid, or none when pid is gone or unreadable.
std::optional<qint64> parentOf(qint64 pid);

// Whether pid is ancestor or one of its descendants, walking up from pid through the
// parents that lookupParent gives (the real table by default).
using ParentLookup = std::function<std::optional<qint64>(qint64)>;
bool isSelfOrDescendantOf(qint64 pid, qint64 ancestor, const ParentLookup& lookupParent = parentOf);

}
