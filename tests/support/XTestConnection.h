#pragma once

// For the files that talk to the X server directly; after every C++ header there, since Xlib
// defines macros such as None that clash with the framework's names.
#include <X11/Xlib.h>

namespace TestSupport
{
    /** The program's one connection for faking the user's input through the X test extension:
        null without a display or without the extension.
    */
    Display* xTestConnection();
}
