#include "support/TestPointer.h"

// After every C++ header: Xlib defines macros such as None.
#include "support/XTestConnection.h"

#include <X11/extensions/XTest.h>

namespace
{
    Display* display()   { return TestSupport::xTestConnection(); }

    /** Waits until the server has taken the request, so that its events are on their way. */
    bool sent (Display* d, int result)
    {
        XSync (d, False);
        return result != 0;
    }
}

bool TestPointer::moveTo (int screenX, int screenY)
{
    auto* d = display();
    return d != nullptr && sent (d, XTestFakeMotionEvent (d, -1, screenX, screenY, CurrentTime));
}

bool TestPointer::setLeftButton (bool down)
{
    auto* d = display();
    return d != nullptr && sent (d, XTestFakeButtonEvent (d, 1, down ? True : False, CurrentTime));
}
