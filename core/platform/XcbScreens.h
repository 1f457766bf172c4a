#pragma once

#include <xcb/xcb.h>

// The root window of screen screenNumber of an xcb connection, or XCB_NONE when the
// server has no such screen. Inline, so that a library using it needs xcb only itself.
inline xcb_window_t rootOfScreen(xcb_connection_t* connection, int screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; screens.rem > 0; ++index, xcb_screen_next(&screens)) {
        if (index == screenNumber)
            return screens.data->root;
    }
    return XCB_NONE;
}
