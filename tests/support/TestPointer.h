#pragma once

/** The display's own pointer and left button, driven through the X test extension, so that a
    window gets the very events a user's hand would make: the server's pointer position (which
    the framework asks for) and the events always agree. Needs a display (Xvfb in the test runs).
*/
namespace TestPointer
{
    /** Moves the pointer to a screen position. False without a display or the extension. */
    bool moveTo (int screenX, int screenY);

    /** Presses or releases the left button where the pointer is. */
    bool setLeftButton (bool down);
}
