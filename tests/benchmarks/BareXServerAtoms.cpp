// Benchmarks that put windows on the display run under a bare X server (xvfb-run), where no
// window manager has made the atoms that the framework's window set-up names. They are made here,
// before main and so before the framework first connects, as a window manager would; the
// connection stays open while the benchmarks run, since a bare server forgets its atoms when its
// last client leaves. No framework header comes in here, as Xlib's macros clash with its names.

#include <cstdlib>
#include <initializer_list>

// After every C++ header: Xlib defines macros such as None.
#include <X11/Xlib.h>

namespace
{
    struct BareXServerAtoms
    {
        BareXServerAtoms()
        {
            if (std::getenv ("DISPLAY") == nullptr || (display = XOpenDisplay (nullptr)) == nullptr)
                return;

            for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE",
                                      "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE" })
                XInternAtom (display, name, False);

            XSync (display, False);
        }

        ~BareXServerAtoms()
        {
            if (display != nullptr)
                XCloseDisplay (display);
        }

        Display* display = nullptr;
    };

    const BareXServerAtoms atoms;
}
