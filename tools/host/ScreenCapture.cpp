#include "ScreenCapture.h"

#include <algorithm>

// After every C++ header: Xlib defines macros such as None.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace ScreenCapture
{
namespace
{
    /** The 8-bit value of one colour channel of a pixel, given the channel's mask. */
    std::uint32_t channel (unsigned long pixel, unsigned long mask)
    {
        if (mask == 0)
            return 0;

        auto shift = 0;

        while (((mask >> shift) & 1u) == 0)
            ++shift;

        const auto maximum = mask >> shift;
        return (std::uint32_t) (((pixel & mask) >> shift) * 255u / maximum);
    }
}

bool prepareDisplay()
{
    // A bare server forgets its atoms when its last client leaves, hence the lasting connection.
    static Display* const display = XOpenDisplay (nullptr);

    if (display == nullptr)
        return false;

    for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE",
                              "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE" })
        XInternAtom (display, name, False);

    XSync (display, False);
    return true;
}

Pixels captureWindow (unsigned long window)
{
    Pixels pixels;
    auto* display = XOpenDisplay (nullptr);

    if (display == nullptr)
    {
        pixels.error = "no X display";
        return pixels;
    }

    XWindowAttributes attributes;
    const auto root = DefaultRootWindow (display);
    int x = 0, y = 0;
    Window child;

    // The root window's image is what the screen shows, the plug-in's own window included.
    if (XGetWindowAttributes (display, (Window) window, &attributes) == 0
        || XTranslateCoordinates (display, (Window) window, root, 0, 0, &x, &y, &child) == 0)
    {
        pixels.error = "no such window";
        XCloseDisplay (display);
        return pixels;
    }

    // Only the part on the screen can be read.
    const auto screen = DefaultScreen (display);
    const auto width = std::min (attributes.width, DisplayWidth (display, screen) - x);
    const auto height = std::min (attributes.height, DisplayHeight (display, screen) - y);

    if (x < 0 || y < 0 || width <= 0 || height <= 0)
    {
        pixels.error = "the window is not wholly on the screen";
        XCloseDisplay (display);
        return pixels;
    }

    if (auto* image = XGetImage (display, root, x, y, (unsigned int) width, (unsigned int) height, AllPlanes, ZPixmap))
    {
        auto* visual = DefaultVisual (display, screen);
        pixels.width = width;
        pixels.height = height;
        pixels.argb.reserve ((size_t) pixels.width * (size_t) pixels.height);

        for (int row = 0; row < pixels.height; ++row)
        {
            for (int column = 0; column < pixels.width; ++column)
            {
                const auto pixel = XGetPixel (image, column, row);
                pixels.argb.push_back (0xff000000u | channel (pixel, visual->red_mask) << 16
                                                   | channel (pixel, visual->green_mask) << 8
                                                   | channel (pixel, visual->blue_mask));
            }
        }

        XDestroyImage (image);
    }
    else
    {
        pixels.error = "the window is not on screen";
    }

    XCloseDisplay (display);
    return pixels;
}
}
