#pragma once

#include <string>

/** The display's own keyboard, driven through the X test extension: the server sends the key to
    whichever window it would send a user's key to (the focus window, or the window under the
    pointer inside it), so it gets the very events a user's typing would make. Needs a display
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

    /** Presses and releases the Escape key. */
    bool pressEscape();

    /** Gives the keyboard focus to a window, as a window manager or a host does. */
    bool focusWindow (unsigned long window);

    /** A plain top-level window on the screen, shown, such as a host embeds a plug-in's view in;
        0 without a display.
    */
    unsigned long createHostWindow (int x, int y, int width, int height);
    void destroyHostWindow (unsigned long window);
}
