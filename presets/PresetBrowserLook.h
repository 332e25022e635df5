#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Drawing pieces that the category menu and the preset list share, so that both windows read
    as one browser.
*/
struct PresetBrowserLook
{
    /** The thin, always-shown scroll bar of both windows. */
    static void setUpScrollBar (juce::ScrollBar& scrollBar, juce::ScrollBar::Listener& listener);

    /** A heart whose cleft is at (x, centreY + 2.7 scale), its lobes halfWidth to either side. */
    static juce::Path heart (float x, float centreY, float halfWidth, float scale);

    /** A soft shadow inside the window's corners: layers from the outermost, darker inwards. */
    static void paintShadow (juce::Graphics&, juce::Rectangle<float> bounds, int layers, float spreadPerLayer, float cornerSize);

    /** Faint white specks; the seed makes the same pattern on every repaint. */
    static void paintNoise (juce::Graphics&, juce::int64 seed, int dots, float width, float height, float dotSize, float maxAlpha);
};
