#pragma once

#include <juce_graphics/juce_graphics.h>

/** Draws the two-state pictures of the switches, off on top and on below, each half the size
    of its control: the round power button with its lamp ring, the square section buttons and
    the compact channel-type buttons, all lit by a teal lamp when on.
*/
namespace SwitchPainter
{
    juce::Image renderPowerButton();     // 96 x 196
    juce::Image renderSectionButton();   // 49 x 104
    juce::Image renderTypeButton();      // 100 x 156

    /** Where the type button's cap sits in its 100 x 78 state, so that the panel can letter it. */
    juce::Rectangle<float> typeButtonCap();
}
