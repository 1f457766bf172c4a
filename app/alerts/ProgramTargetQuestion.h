#pragma once

#include <QString>

struct ProgramTargetVerdict;

// Asks the user before a shortcut's target that is a program is opened: a stranger's
// shortcut must not start code unseen. With a display the question is a message box in
// front, whose default answer (Return, Escape, closing it) is Cancel; without a display
// nobody can be asked, and the target is refused.
namespace ProgramTargetQuestion {

// True when the user chose to open the program.
bool ask(const QString& path, const ProgramTargetVerdict& verdict);

// The question's text: which item, and why it counts as a program.
QString message(const QString& path, const ProgramTargetVerdict& verdict);

}
