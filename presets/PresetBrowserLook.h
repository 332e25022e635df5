#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Drawing pieces that the category menu and the preset list share, so that both windows read
    as one browser.
*/
struct PresetBrowserLook
{
    // The colours that more than one part of the browser and its preset bar paint.
    inline static const juce::Colour orange { 0xFFFF9944 };       // the current preset, the open category
    inline static const juce::Colour heartRed { 0xFFFF6B6B };     // a favourite's heart
    inline static const juce::Colour panel { 0xFF1F1F1F };        // the category menu, the current preset's row
    inline static const juce::Colour highlight { 0xFF2D2D2D };    // where a highlighted row's shading starts
    inline static const juce::Colour hairline { 0x0DFFFFFF };     // separators and edges

    // White at the strengths that the text, icons and marks share.
    inline static const juce::Colour whiteStrong { 0xE6FFFFFF };
    inline static const juce::Colour whiteMedium { 0xB2FFFFFF };
    inline static const juce::Colour whiteSoft { 0x66FFFFFF };
    inline static const juce::Colour whiteFaint { 0x4CFFFFFF };

    /** The outline of the chevrons and the hearts not yet favourites. */
    inline static const juce::PathStrokeType thinStroke { 1.5f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt };

    /** A favourite's heart: full red while lit (hovered or active), a little see-through at rest. */
    static juce::Colour heartColour (bool lit);

    /** The thin, always-shown scroll bar of both windows. */
    static void setUpScrollBar (juce::ScrollBar& scrollBar, juce::ScrollBar::Listener& listener);

    /** A heart whose cleft is at (x, centreY + 2.7 scale), its lobes halfWidth to either side. */
    static juce::Path heart (float x, float centreY, float halfWidth, float scale);

    /** A soft shadow inside the window's corners: layers from the outermost, darker inwards. */
    static void paintShadow (juce::Graphics&, juce::Rectangle<float> bounds, int layers, float spreadPerLayer, float cornerSize);

    /** Faint white specks; the seed makes the same pattern on every repaint. */
    static void paintNoise (juce::Graphics&, juce::int64 seed, int dots, float width, float height, float dotSize, float maxAlpha);
};
