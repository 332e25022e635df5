#pragma once

#include <juce_graphics/juce_graphics.h>

/** Draws the two meters: the gain-reduction needle meter (a backlit face behind glass, its
    dB marks where the engine's needle mapping puts each reduction) and the segmented output
    ring, whose lit segments come in two half strips and whose unlit segments the panel shows.
*/
namespace MeterPainter
{
    constexpr int needleWidth = 250;
    constexpr int needleHeight = 126;
    constexpr int ringSize = 110;

    /** The needle meter strip: Scales::needleFrames frames of needleWidth x needleHeight. */
    juce::Image renderNeedleStrip();

    /** A half of the ring strip: Scales::levelFrames frames of half the ring's width. */
    juce::Image renderLevelStrip (bool leftHalf);

    /** The dark, unlit segments of the whole ring, for the panel, in a ringSize square. */
    void paintUnlitRing (juce::Graphics&, juce::Rectangle<float> ringArea);
}
