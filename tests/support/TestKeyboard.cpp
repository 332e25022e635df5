#include "support/TestKeyboard.h"

// After every C++ header: Xlib defines macros such as None.
#include "support/XTestConnection.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace
{
    Display* display()   { return TestSupport::xTestConnection(); }

    bool setKey (Display* d, KeyCode code, bool down)
    {
        return XTestFakeKeyEvent (d, code, down ? True : False, CurrentTime) != 0;
    }

    /** One key stroke; Shift is held when the key gives the symbol only with it. */
    bool strike (Display* d, KeySym symbol)
    {
        const auto code = XKeysymToKeycode (d, symbol);

        if (code == 0)
            return false;

        const auto shifted = XkbKeycodeToKeysym (d, code, 0, 0) != symbol;
        const auto shift = XKeysymToKeycode (d, XK_Shift_L);

        if (shifted && (shift == 0 || XkbKeycodeToKeysym (d, code, 0, 1) != symbol))
            return false;

        auto ok = true;

        if (shifted)
            ok = setKey (d, shift, true) && ok;

        ok = setKey (d, code, true) && ok;
        ok = setKey (d, code, false) && ok;

        if (shifted)
            ok = setKey (d, shift, false) && ok;

        XSync (d, False);
        return ok;
    }
}

bool TestKeyboard::type (const std::string& text)
{
    auto* d = display();

    if (d == nullptr)
        return false;

    for (const auto c : text)
    {
        // Printable Latin-1 characters are their own key symbols.
        if (c < 0x20 || c > 0x7e || ! strike (d, (KeySym) c))
            return false;
    }

    return true;
}

bool TestKeyboard::pressReturn()
{
    auto* d = display();
    return d != nullptr && strike (d, XK_Return);
}

bool TestKeyboard::pressEscape()
{
    auto* d = display();
    return d != nullptr && strike (d, XK_Escape);
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
