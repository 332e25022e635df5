#pragma once

#include <string>

/** The display's own keyboard, driven through the X test extension, so that the window with the
    server's input focus gets the very key events a user's typing would make. Needs a display
    (Xvfb in the test runs).
*/
namespace TestKeyboard
{
    /** Types printable ASCII text, with Shift where a character needs it. False without a display
        or the extension, or for a character the keyboard map lacks.
    */
    bool type (const std::string& text);

    /** Presses and releases the Return key. */
    bool pressReturn();
}
