#include "workspace/X11Session.h"

#include "platform/XcbScreens.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>
#include <cstring>

struct X11Session::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_ewmh_connection_t ewmh {};
    bool ewmhReady = false;
    int screenNumber = 0;
    xcb_window_t root = XCB_NONE;
    xcb_window_t timeWindow = XCB_NONE;
    xcb_atom_t timeAtom = XCB_NONE;

    ~Connection()
    {
        if (ewmhReady)
            xcb_ewmh_connection_wipe(&ewmh);
        if (xcb)
            xcb_disconnect(xcb);
    }
};

namespace {

// An xcb reply, freed with free() as xcb asks.
template<typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template<typename Reply> ReplyPtr<Reply> adoptReply(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

}

std::shared_ptr<X11Session> X11Session::open(const QByteArray& displayName)
{
    auto connection = std::make_unique<Connection>();
    // A null display name makes xcb read $DISPLAY; without one it fails at once.
    connection->xcb = xcb_connect(
        displayName.isEmpty() ? nullptr : displayName.constData(), &connection->screenNumber);
    if (!connection->xcb || xcb_connection_has_error(connection->xcb))
        return nullptr;
    connection->root = rootOfScreen(connection->xcb, connection->screenNumber);
    if (connection->root == XCB_NONE)
        return nullptr;
    xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(connection->xcb, &connection->ewmh);
    if (!cookies || !xcb_ewmh_init_atoms_replies(&connection->ewmh, cookies, nullptr))
        return nullptr;
    connection->ewmhReady = true;
    QByteArray name = displayName.isEmpty() ? QByteArray(std::getenv("DISPLAY")) : displayName;
    return std::shared_ptr<X11Session>(new X11Session(std::move(connection), std::move(name)));
}

X11Session::X11Session(std::unique_ptr<Connection> connection, QByteArray displayName)
    : m_connection(std::move(connection))
    , m_displayName(std::move(displayName))
{
}

X11Session::~X11Session() = default;

bool X11Session::isUsable() const
{
    return xcb_connection_has_error(m_connection->xcb) == 0;
}

bool X11Session::hasWindowManager()
{
    xcb_window_t checkWindow = XCB_NONE;
    xcb_get_property_cookie_t cookie =
        xcb_ewmh_get_supporting_wm_check(&m_connection->ewmh, m_connection->root);
    return xcb_ewmh_get_supporting_wm_check_reply(
               &m_connection->ewmh, cookie, &checkWindow, nullptr)
        && checkWindow != XCB_NONE;
}

QList<WindowFacts> X11Session::clientWindows()
{
    QList<WindowFacts> windows;
    xcb_ewmh_get_windows_reply_t list {};
    xcb_get_property_cookie_t cookie =
        xcb_ewmh_get_client_list(&m_connection->ewmh, m_connection->screenNumber);
    if (!xcb_ewmh_get_client_list_reply(&m_connection->ewmh, cookie, &list, nullptr))
        return windows;
    windows.reserve(qsizetype(list.windows_len));
    for (uint32_t index = 0; index < list.windows_len; ++index)
        windows << windowFacts(list.windows[index]);
    xcb_ewmh_get_windows_reply_wipe(&list);
    return windows;
}

WindowFacts X11Session::windowFacts(quint32 window)
{
    WindowFacts facts;
    facts.window = window;
    xcb_get_property_cookie_t pidCookie = xcb_ewmh_get_wm_pid(&m_connection->ewmh, window);
    xcb_get_property_cookie_t classCookie =
        xcb_get_property(m_connection->xcb, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    uint32_t pid = 0;
    if (xcb_ewmh_get_wm_pid_reply(&m_connection->ewmh, pidCookie, &pid, nullptr) && pid > 0)
        facts.pid = qint64(pid);
    auto reply = adoptReply(xcb_get_property_reply(m_connection->xcb, classCookie, nullptr));
    if (!reply || reply->format != 8)
        return facts;
    // WM_CLASS is two NUL-terminated strings, instance then class; a client may send
    // them unterminated or send one only.
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const QByteArray value(text, xcb_get_property_value_length(reply.get()));
    const qsizetype split = value.indexOf('\0');
    facts.instanceName = split < 0 ? value : value.left(split);
    if (split >= 0) {
        QByteArray rest = value.mid(split + 1);
        const qsizetype end = rest.indexOf('\0');
        facts.className = end < 0 ? rest : rest.left(end);
    }
    return facts;
}

std::optional<quint32> X11Session::activeWindow()
{
    xcb_window_t window = XCB_NONE;
    xcb_get_property_cookie_t cookie =
        xcb_ewmh_get_active_window(&m_connection->ewmh, m_connection->screenNumber);
    if (!xcb_ewmh_get_active_window_reply(&m_connection->ewmh, cookie, &window, nullptr)
        || window == XCB_NONE)
        return std::nullopt;
    return window;
}

bool X11Session::ensureTimeWindow()
{
    if (m_connection->timeWindow != XCB_NONE)
        return true;
    xcb_connection_t* xcb = m_connection->xcb;
    const char atomName[] = "_KESTROVA_TIMESTAMP";
    auto atom = adoptReply(xcb_intern_atom_reply(
        xcb, xcb_intern_atom(xcb, 0, uint16_t(std::strlen(atomName)), atomName), nullptr));
    if (!atom)
        return false;
    const xcb_window_t window = xcb_generate_id(xcb);
    const uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(xcb, XCB_COPY_FROM_PARENT, window, m_connection->root, -1, -1, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &eventMask);
    m_connection->timeWindow = window;
    m_connection->timeAtom = atom->atom;
    return true;
}

quint32 X11Session::serverTime()
{
    if (!ensureTimeWindow())
        return XCB_CURRENT_TIME;
    xcb_connection_t* xcb = m_connection->xcb;
    // Appending nothing still changes the property, and the server stamps the event.
    xcb_change_property(xcb, XCB_PROP_MODE_APPEND, m_connection->timeWindow, m_connection->timeAtom,
        XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(xcb);
    while (xcb_generic_event_t* event = xcb_wait_for_event(xcb)) {
        auto owned = adoptReply(event);
        if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->window == m_connection->timeWindow)
            return notify->time;
    }
    return XCB_CURRENT_TIME;
}

bool X11Session::requestActivation(quint32 window)
{
    const quint32 timestamp = serverTime();
    const xcb_window_t current = activeWindow().value_or(XCB_NONE);
    // Source "other" (2, what pagers and task bars send): the request carries out the
    // user's own act of opening a file, and window managers honour it with a current
    // timestamp where they would hold back an application's own request.
    xcb_ewmh_request_change_active_window(&m_connection->ewmh, m_connection->screenNumber, window,
        XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, timestamp, current);
    return xcb_flush(m_connection->xcb) > 0 && isUsable();
}
