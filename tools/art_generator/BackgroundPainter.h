#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

/** Draws the 1100 x 790 panel below the top bar: brushed dark metal, the nameplate, section
    headings, every knob's scale and caption, the switch and meter lettering, the meter bridge
    with the unlit level ring, and the plain strip at the bottom where the editor draws its
    info line and buttons.

    The lettering is laid out first, so that it can be checked against the controls'
    rectangles before anything is drawn.
*/
class BackgroundPainter
{
public:
    BackgroundPainter();

    juce::Image render() const;

    /** One line per label that strays into a control other than its own. */
    juce::StringArray layoutProblems() const;

private:
    struct Label
    {
        juce::String text;
        juce::Point<float> centre;   // design units
        float capHeight;
        juce::Colour colour;
        float kerning;
        juce::String owner;          // the control it belongs to, or empty
    };

    void layOutDialLabels();
    void layOutSwitchLabels();
    void layOutHeadings();

    void paintMetal (juce::Graphics&) const;
    void paintRules (juce::Graphics&) const;
    void paintMeterBridge (juce::Graphics&) const;
    void paintDialScales (juce::Graphics&) const;
    void paintSeats (juce::Graphics&) const;
    void paintBottomStrip (juce::Graphics&) const;
    void paintScrews (juce::Graphics&) const;

    std::vector<Label> labels;
    std::vector<juce::Line<float>> rules;   // horizontal, left to right
};
