#pragma once

#include <cstdint>
#include <string>
#include <vector>

/** The X display as a person at it sees and uses it: what the screen shows, which windows are
    up, and mouse clicks, for the hosted editor's pictures and tests. Kept apart from the
    framework's headers, whose names clash with Xlib's macros.
*/
namespace HostDisplay
{
    struct Area
    {
        int x = 0, y = 0, width = 0, height = 0;
    };

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

    /** Where a window is on the screen. */
    Area areaOf (unsigned long window);

    /** What the screen shows over an area, the part that lies on the screen. */
    Pixels capture (Area area);

    /** The top-level windows on the screen, in stacking order from the bottom. */
    std::vector<Area> topLevelWindows();

    /** Moves the pointer to a point of the screen and clicks the left button on the window there. */
    bool clickAt (int screenX, int screenY);
}
