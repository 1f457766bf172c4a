#pragma once

#include "shortcut/HVWindowsShortcut.h"

#include <QString>

class QWidget;

// The message boxes of dropping and choosing files in the settings window, shown over
// the window of the widget given, which is brought to the front first.
namespace DropAlerts {

// The question for a dragged shortcut file; its default button inserts the destination.
ShortcutInsertion askForInsertion(QWidget* widget);

// Why nothing was inserted for a file, as translateFilepath said it.
void showTranslationFailure(QWidget* widget, const QString& reason);

// translateFilepath with the question above; a failure is shown, and gives none.
std::optional<QString> translatedPath(QWidget* widget, const QString& path);

}
