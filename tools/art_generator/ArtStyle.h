#pragma once

#include <juce_graphics/juce_graphics.h>

/** The look shared by every picture: colours, the panel lettering and small drawing helpers.
    Angles are in radians, 0 pointing up and growing clockwise, as in juce::Path's arcs.
*/
namespace ArtStyle
{
    namespace Colours
    {
        const juce::Colour accent { 0xff7abec1 };
        const juce::Colour accentBright { 0xffb4f1f2 };
        const juce::Colour warning { 0xffe8a33c };
        const juce::Colour lettering { 0xffeae7df };
        const juce::Colour scaleText { 0xffb3b9bd };
        const juce::Colour tick { 0xffc9ced1 };
        const juce::Colour panelLight { 0xff2c2f33 };
        const juce::Colour panelDark { 0xff1c1e21 };
        const juce::Colour recess { 0xff0d0f10 };
        const juce::Colour bottomStrip { 0xff0c0d0e };
    }

    /** The panel typeface (the embedded display font), sized so that capital letters are
        capHeight pixels tall.
    */
    juce::Font panelFont (float capHeight);

    /** Draws text centred horizontally on centre.x, with its capitals centred vertically on
        centre.y, over a faint dark drop that keeps it crisp on textured metal.
    */
    void drawLabel (juce::Graphics&, const juce::String& text, juce::Point<float> centre,
                    float capHeight, juce::Colour colour, float extraKerning = 0.0f);

    /** The box that drawLabel covers with the letters' advance widths and cap height. */
    juce::Rectangle<float> labelBounds (const juce::String& text, juce::Point<float> centre,
                                        float capHeight, float extraKerning = 0.0f);

    /** Point at radius from centre in the direction of angle. */
    juce::Point<float> polar (juce::Point<float> centre, float radius, float angle);

    /** A stable pseudo-random number in [0, 1) for integer coordinates and a seed. */
    float noise (int x, int y, juce::uint32 seed);

    /** Fills a soft round glow: colour at the centre fading to nothing at radius. */
    void fillGlow (juce::Graphics&, juce::Point<float> centre, float radius, juce::Colour colour);

    /** A round-ended radial line, as used for ticks and pointers. */
    void drawRadialLine (juce::Graphics&, juce::Point<float> centre, float angle,
                         float innerRadius, float outerRadius, float thickness);
}
