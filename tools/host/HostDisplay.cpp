#include "HostDisplay.h"

#include <algorithm>

// After every C++ header: Xlib defines macros such as None.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace HostDisplay
{
namespace
{
    Display* connection()
    {
        // A bare server forgets its atoms when its last client leaves, hence the lasting connection.
        static Display* const display = XOpenDisplay (nullptr);
        return display;
    }

    /** The 8-bit value of one colour channel of a pixel, given the channel's mask. */
    std::uint32_t channel (unsigned long pixel, unsigned long mask)
    {
        if (mask == 0)
            return 0;

        auto shift = 0;

        while (((mask >> shift) & 1u) == 0)
            ++shift;

        return (std::uint32_t) (((pixel & mask) >> shift) * 255u / (mask >> shift));
    }

    /** The deepest window under a point of the screen, and the point in its coordinates. */
    Window windowAt (Display* display, int screenX, int screenY, int& x, int& y)
    {
        const auto root = DefaultRootWindow (display);
        auto window = root;

        for (;;)
        {
            Window child = 0;

            if (XTranslateCoordinates (display, root, window, screenX, screenY, &x, &y, &child) == 0 || child == 0)
                return window;

            window = child;
        }
    }

    bool sendButton (Display* display, Window window, int x, int y, int screenX, int screenY, bool press)
    {
        XEvent event {};
        auto& button = event.xbutton;
        button.type = press ? ButtonPress : ButtonRelease;
        button.display = display;
        button.window = window;
        button.root = DefaultRootWindow (display);
        button.subwindow = 0;
        button.time = CurrentTime;
        button.x = x;
        button.y = y;
        button.x_root = screenX;
        button.y_root = screenY;
        button.state = press ? 0 : Button1Mask;
        button.button = Button1;
        button.same_screen = True;

        return XSendEvent (display, window, True, press ? ButtonPressMask : ButtonReleaseMask, &event) != 0;
    }
}

bool prepareDisplay()
{
    auto* display = connection();

    if (display == nullptr)
        return false;

    for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE",
                              "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE" })
        XInternAtom (display, name, False);

    XSync (display, False);
    return true;
}

Area areaOf (unsigned long window)
{
    Area area;
    auto* display = connection();
    XWindowAttributes attributes;
    Window child = 0;

    if (display != nullptr && XGetWindowAttributes (display, (Window) window, &attributes) != 0
        && XTranslateCoordinates (display, (Window) window, DefaultRootWindow (display), 0, 0, &area.x, &area.y, &child) != 0)
    {
        area.width = attributes.width;
        area.height = attributes.height;
    }

    return area;
}

Pixels capture (Area area)
{
    Pixels pixels;
    auto* display = connection();

    if (display == nullptr)
    {
        pixels.error = "no X display";
        return pixels;
    }

    // Only the part on the screen can be read; the root window's image is what the screen shows,
    // the plug-in's own windows included.
    const auto screen = DefaultScreen (display);
    const auto left = std::max (0, area.x), top = std::max (0, area.y);
    const auto width = std::min (area.x + area.width, DisplayWidth (display, screen)) - left;
    const auto height = std::min (area.y + area.height, DisplayHeight (display, screen)) - top;

    if (width <= 0 || height <= 0)
    {
        pixels.error = "the area is not on the screen";
        return pixels;
    }

    auto* image = XGetImage (display, DefaultRootWindow (display), left, top, (unsigned int) width, (unsigned int) height, AllPlanes, ZPixmap);

    if (image == nullptr)
    {
        pixels.error = "the screen could not be read";
        return pixels;
    }

    const auto* visual = DefaultVisual (display, screen);
    pixels.width = width;
    pixels.height = height;
    pixels.argb.reserve ((size_t) width * (size_t) height);

    for (int row = 0; row < height; ++row)
    {
        for (int column = 0; column < width; ++column)
        {
            const auto pixel = XGetPixel (image, column, row);
            pixels.argb.push_back (0xff000000u | channel (pixel, visual->red_mask) << 16
                                               | channel (pixel, visual->green_mask) << 8
                                               | channel (pixel, visual->blue_mask));
        }
    }

    XDestroyImage (image);
    return pixels;
}

std::vector<Area> topLevelWindows()
{
    std::vector<Area> windows;
    auto* display = connection();

    if (display == nullptr)
        return windows;

    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;

    if (XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &count) == 0)
        return windows;

    for (unsigned int i = 0; i < count; ++i)
    {
        XWindowAttributes attributes;

        if (XGetWindowAttributes (display, children[i], &attributes) != 0 && attributes.map_state == IsViewable)
            windows.push_back ({ attributes.x, attributes.y, attributes.width, attributes.height });
    }

    XFree (children);
    return windows;
}

bool clickAt (int screenX, int screenY)
{
    auto* display = connection();

    if (display == nullptr)
        return false;

    XWarpPointer (display, 0, DefaultRootWindow (display), 0, 0, 0, 0, screenX, screenY);
    int x = 0, y = 0;
    const auto window = windowAt (display, screenX, screenY, x, y);

    const auto sent = sendButton (display, window, x, y, screenX, screenY, true)
                   && sendButton (display, window, x, y, screenX, screenY, false);
    XSync (display, False);
    return sent;
}
}
