#pragma once

#include <cstdint>
#include <string>
#include <vector>

/** Reads what the X display shows, for pictures of a hosted editor. Kept apart from the
    framework's headers, whose names clash with Xlib's macros.
*/
namespace ScreenCapture
{
    struct Pixels
    {
        int width = 0, height = 0;
        std::vector<std::uint32_t> argb;    // opaque, row by row
        std::string error;
    };

    /** Connects to the display and keeps the connection until the program ends. Under a bare X
        server (xvfb-run) no window manager has made the atoms the framework's windows name, so
        they are made here, as a window manager would; call it before the framework connects.
        False when there is no display.
    */
    bool prepareDisplay();

    /** The screen's pixels over a window: the window with every window inside it, as shown. */
    Pixels captureWindow (unsigned long window);
}
