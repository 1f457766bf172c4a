#pragma once

// Whether the Ctrl key is held now, as the X server sees it: the key that makes an open
// also turn the shortcut into an alias file. Read by the process that receives the
// double click, before anything else, so the key counts as it was when the user opened
// the file, not as it is once the target has been opened. Asked of the server directly
// (xcb), with no Qt application: the light front has none. False without a display,
// on Wayland without XWayland, and when the server does not answer.
namespace ControlKey {

bool isHeld();

}
