#include "support/WindowManagerAtoms.h"

#include <initializer_list>

// After every C++ header: Xlib defines macros such as None.
#include <X11/Xlib.h>

WindowManagerAtoms::WindowManagerAtoms()
{
    auto* connection = XOpenDisplay (nullptr);

    if (connection == nullptr)
        return;

    for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE",
                              "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE" })
        XInternAtom (connection, name, False);

    XSync (connection, False);
    display = connection;
}

WindowManagerAtoms::~WindowManagerAtoms()
{
    if (display != nullptr)
        XCloseDisplay (static_cast<Display*> (display));
}
