#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Taking the preset browser's top-level windows off the screen.

    A browser window may close in the middle of a press in it: a preset chosen or the header
    pressed. Its native window must then live until the press's release has arrived, or the
    release goes with it, the framework takes the button as still held, and the user's next press
    anywhere counts as part of this one and is lost.
*/
namespace BrowserWindows
{
    /** Hides the window and takes it off the desktop; while a press that began in it is held, it
        only hides, and its mouseUp must call finishClosing.
    */
    void close (juce::Component& window);

    /** From the window's mouseUp: takes a window that close() left hidden off the desktop. */
    void finishClosing (juce::Component& window);
}
