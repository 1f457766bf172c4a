#pragma once

#include <QString>

// The status window of a process without a display (the command line on a server, a
// script): a title that is shown becomes one line on stderr. Hiding prints nothing; the
// same title shown again after a hide is printed again.
class StatusLine {
public:
    void setTitle(const QString& title);
    void show();
    void hide();

    bool isShown() const { return m_shown; }

    // The title as one printable line: control characters (an escape sequence hidden in a
    // share name, a line break) are written as \x and their code in hexadecimal, so that a
    // title can neither drive the terminal nor pose as several lines.
    static QString printable(const QString& title);

private:
    void printTitleOnce();

    QString m_title;
    bool m_shown = false;
    bool m_titlePrinted = false;
};
