#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <optional>

// What a user does on the test's X display, through the same tools a user's desktop
// answers to: xdotool finds windows by their title, tells which one is in front and
// presses keys; xclip stands for another application that owns a selection.
namespace DesktopUser {

// The first visible window titled exactly title, once one shows (within the timeout).
std::optional<quint32> waitForWindow(const QString& title, int timeoutMilliseconds = 20000);

// Whether no visible window titled exactly title shows during the whole period.
bool noWindowFor(const QString& title, int periodMilliseconds);

// Waits until the window is the window manager's active window; false when it is not
// by the end of the timeout.
bool becomesActive(quint32 window, int timeoutMilliseconds = 10000);

// The process that owns the active window (_NET_WM_PID), or none.
std::optional<qint64> activeWindowProcess();

// Presses a key (xdotool's names: Return, Escape, alt+g) in the active window.
void press(const QString& key);

// Answers the password question of a share, once it shows, as "Connect as guest".
// False when no question showed.
bool connectAsGuest();

// Reads a selection (primary, clipboard) as the target type, as a pasting application
// would.
QString readSelection(
    const QString& selection, const QString& type = QStringLiteral("UTF8_STRING"));

// Another application holding a selection with data of one type, until it is destroyed
// or another program takes the selection.
class SelectionOwner {
public:
    SelectionOwner(const QString& selection, const QString& type, const QByteArray& data);
    ~SelectionOwner();
    SelectionOwner(const SelectionOwner&) = delete;
    SelectionOwner& operator=(const SelectionOwner&) = delete;

    // Whether the selection could be read back as it was given.
    bool isServing() const { return m_serving; }

private:
    QProcess m_xclip;
    bool m_serving = false;
};

}
