#include "TestKeyboard.h"

// After every C++ header: Xlib defines macros such as None.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>

namespace
{
    Display* display()
    {
        static Display* const connection = []
        {
            auto* d = XOpenDisplay (nullptr);
            int eventBase = 0, errorBase = 0, major = 0, minor = 0;

            if (d != nullptr && ! XTestQueryExtension (d, &eventBase, &errorBase, &major, &minor))
            {
                XCloseDisplay (d);
                d = nullptr;
            }

            return d;
        }();

        return connection;
    }
}

bool TestKeyboard::pressEscape()
{
    auto* d = display();

    if (d == nullptr)
        return false;

    const auto code = XKeysymToKeycode (d, XK_Escape);
    const auto sent = code != 0 && XTestFakeKeyEvent (d, code, True, CurrentTime) != 0
                                && XTestFakeKeyEvent (d, code, False, CurrentTime) != 0;
    XSync (d, False);
    return sent;
}

bool TestKeyboard::focusWindow (unsigned long window)
{
    auto* d = display();

    if (d == nullptr)
        return false;

    XSetInputFocus (d, (Window) window, RevertToParent, CurrentTime);
    XSync (d, False);
    return true;
}

unsigned long TestKeyboard::createHostWindow (int x, int y, int width, int height)
{
    auto* d = display();

    if (d == nullptr)
        return 0;

    // Placed where asked without a window manager: the position is kept as given.
    XSetWindowAttributes attributes {};
    attributes.override_redirect = False;
    attributes.background_pixel = BlackPixel (d, DefaultScreen (d));
    attributes.event_mask = StructureNotifyMask;
    // The parent's depth and visual (a null visual is the server's CopyFromParent).
    const auto window = XCreateWindow (d, DefaultRootWindow (d), x, y, (unsigned int) width, (unsigned int) height, 0,
                                       CopyFromParent, InputOutput, static_cast<Visual*> (nullptr), CWBackPixel | CWEventMask, &attributes);
    XMapWindow (d, window);

    // Until the server has shown it.
    for (XEvent event {}; XWindowEvent (d, window, StructureNotifyMask, &event), event.type != MapNotify;)
        ;

    XSync (d, False);
    return window;
}

void TestKeyboard::destroyHostWindow (unsigned long window)
{
    if (auto* d = display(); d != nullptr && window != 0)
    {
        XDestroyWindow (d, (Window) window);
        XSync (d, False);
    }
}
