#include "instance/ControlKey.h"

#include "platform/XcbScreens.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

struct ConnectionClose {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using ConnectionPtr = std::unique_ptr<xcb_connection_t, ConnectionClose>;

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
