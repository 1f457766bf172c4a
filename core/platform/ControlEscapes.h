#pragma once

#include <QString>

// Names of files and fields of shortcuts come from strangers. Raw, an ESC drives the
// terminal, a newline forges a log line and U+202E shows "doc<U+202E>txt.exe" as
// "docexe.txt". Wherever such text meets a terminal or the system log it goes through
// escapeControls, which writes each C0 control, DEL, C1 control (U+0080-U+009F) and
// bidirectional embedding, override or isolate (U+202A-U+202E, U+2066-U+2069) as
// \uXXXX and leaves everything else as it is. A byte of a file name that is not UTF-8
// (U+DC80-U+DCFF, see FileNames) is written the same way, as \udcXX.
namespace ControlEscapes {

bool isEscaped(char16_t character);
QString escapeControls(const QString& text);

}
