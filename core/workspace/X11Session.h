#pragma once

#include <QByteArray>
#include <QList>

#include <memory>
#include <optional>

// What the window manager and the window itself say about one top-level window.
struct WindowFacts {
    quint32 window = 0;
    std::optional<qint64> pid; // _NET_WM_PID, where the client sets it
    QByteArray instanceName; // WM_CLASS, first string
    QByteArray className; // WM_CLASS, second string
};

// A connection to an X11 server and its EWMH window manager, through xcb. It answers
// what the window manager lists (_NET_CLIENT_LIST, _NET_ACTIVE_WINDOW) and asks it to
// activate windows. One session serves many queries; it is opened again when the
// server connection breaks.
class X11Session {
public:
    // The session on displayName (":0"; empty for $DISPLAY), or null when there is no
    // X server to talk to (no DISPLAY, Wayland without XWayland, a dead server).
    static std::shared_ptr<X11Session> open(const QByteArray& displayName = {});
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool isUsable() const;
    QByteArray displayName() const { return m_displayName; }

    // The managed top-level windows, oldest first; empty without a window manager.
    QList<WindowFacts> clientWindows();
    std::optional<quint32> activeWindow();
    // Whether an EWMH window manager is running (_NET_SUPPORTING_WM_CHECK is set).
    bool hasWindowManager();

    // The server's current time, for requests that focus-stealing prevention judges by
    // their timestamp. Found by changing a property of a window of our own and reading
    // the time of the PropertyNotify event that follows.
    quint32 serverTime();

    // Asks the window manager to activate window (raise, de-iconify, focus).
    bool requestActivation(quint32 window);

private:
    struct Connection; // the xcb and EWMH state, kept out of this header
    explicit X11Session(std::unique_ptr<Connection> connection, QByteArray displayName);
    WindowFacts windowFacts(quint32 window);
    bool ensureTimeWindow();

    std::unique_ptr<Connection> m_connection;
    QByteArray m_displayName;
};
