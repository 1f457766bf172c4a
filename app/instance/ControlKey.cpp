#include "instance/ControlKey.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

struct ConnectionClose {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using ConnectionPtr = std::unique_ptr<xcb_connection_t, ConnectionClose>;

xcb_window_t rootOfScreen(xcb_connection_t* connection, int screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; screens.rem > 0; ++index, xcb_screen_next(&screens)) {
        if (index == screenNumber)
            return screens.data->root;
    }
    return XCB_NONE;
}

}

namespace ControlKey {

bool isHeld()
{
    // xcb_connect with a null name reads $DISPLAY and fails at once without one.
    if (!std::getenv("DISPLAY"))
        return false;
    int screenNumber = 0;
    const ConnectionPtr connection(xcb_connect(nullptr, &screenNumber));
    if (xcb_connection_has_error(connection.get()))
        return false;
    const xcb_window_t root = rootOfScreen(connection.get(), screenNumber);
    if (root == XCB_NONE)
        return false;
    // The pointer query answers the modifier state of the core keyboard too.
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(
        connection.get(), xcb_query_pointer(connection.get(), root), nullptr);
    if (!reply)
        return false;
    const bool held = (reply->mask & XCB_MOD_MASK_CONTROL) != 0;
    std::free(reply);
    return held;
}

}
