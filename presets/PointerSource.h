#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Where the pointer is on screen and whether a mouse button is held, for the browser's timers.

    The browser watches presses that land outside its own windows, in the host's window too, so it
    asks the system rather than its own mouse events. Tests hand in their own answers.
*/
class PointerSource
{
public:
    virtual ~PointerSource() = default;

    /** The pointer's position in screen coordinates, rounded to whole pixels. */
    virtual juce::Point<int> getScreenPosition() const = 0;

    /** True while any mouse button is held, wherever the pointer is. */
    virtual bool isButtonDown() const = 0;

    /** The one that asks the system; it lives as long as the program. */
    static PointerSource& desktop();
};

/** Asks the system's pointer itself. */
class DesktopPointerSource final : public PointerSource
{
public:
    juce::Point<int> getScreenPosition() const override;
    bool isButtonDown() const override;
};
