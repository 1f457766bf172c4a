#pragma once

#include <QString>

class HVWindowsShortcut;

// The informative text of an alert about a target that could not be opened: the
// Windows path the shortcut holds, the local path it became, and, where the target is
// missing, why as far as Kestrova can tell: a drive letter without mapping, text around
// a selected path taken along with it, or a file or folder gone from its place. Text
// from strangers is escaped (ControlEscapes); the cost is linear in the target's length.
namespace TargetExplanation {

enum class Source { ShortcutFile, Selection };

// Asked after openFile failed, so that localPath() tells where it looked.
QString informativeText(const HVWindowsShortcut& shortcut, Source source);

}
