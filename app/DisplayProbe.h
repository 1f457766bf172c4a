#pragma once

// Whether this process can reach a display, judged before the application object is
// made: QApplication aborts the process when the display it is told of is not there
// (a DISPLAY inherited into an ssh session whose X server has gone).
namespace DisplayProbe {

// True for a Wayland display (WAYLAND_DISPLAY set) or an X server that accepts a
// connection on DISPLAY.
bool displayPresent();

}
