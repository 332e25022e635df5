#pragma once

#include <juce_graphics/juce_graphics.h>

/** Draws the knob film strips: a dark machined knob with a knurled skirt, a spun-metal cap and
    a light pointer line. The light stays put while the knurl and pointer turn, as on a real
    knob. Everything lies inside the disc of PanelLayout::knobGeometry, so the frame's corners stay
    transparent and the panel's scale shows around it.
*/
class KnobPainter
{
public:
    explicit KnobPainter (int frameSize);

    /** One column of numFrames frames, frame 0 at the pointer's start angle. */
    juce::Image renderStrip (int numFrames) const;

private:
    juce::Image renderFrame (float pointerAngle) const;
    void paintShadow (juce::Graphics&) const;
    void paintSkirt (juce::Graphics&, float pointerAngle) const;
    void paintCap (juce::Graphics&) const;
    void paintPointer (juce::Graphics&, float pointerAngle) const;

    int size;
    juce::Point<float> centre;
    float radius;
};
