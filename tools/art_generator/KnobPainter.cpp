#include "KnobPainter.h"

#include "ArtStyle.h"
#include "PanelLayout.h"
#include "Scales.h"
#include "Supersampling.h"

namespace
{
    constexpr int knurlRidges = 56;
    constexpr float capShare = 0.76f;
}

KnobPainter::KnobPainter (int frameSize)
    : size (frameSize),
      centre ((float) frameSize * 0.5f, (float) frameSize * 0.5f),
      radius (PanelLayout::knobGeometry (frameSize).disc)
{
}

juce::Image KnobPainter::renderStrip (int numFrames) const
{
    juce::Array<juce::Image> frames;

    for (int frame = 0; frame < numFrames; ++frame)
        frames.add (renderFrame (Scales::knobAngle (frame, numFrames)));

    return Artwork::stackFrames (frames);
}

juce::Image KnobPainter::renderFrame (float pointerAngle) const
{
    return Artwork::renderSupersampled (size, size, [this, pointerAngle] (juce::Graphics& g)
    {
        paintShadow (g);
        paintSkirt (g, pointerAngle);
        paintCap (g);
        paintPointer (g, pointerAngle);
    });
}

void KnobPainter::paintShadow (juce::Graphics& g) const
{
    // A soft contact shadow falling slightly downwards, kept inside the tick ring.
    const auto shadowCentre = centre.translated (0.0f, radius * 0.06f);

    for (int layer = 0; layer < 6; ++layer)
    {
        const auto layerRadius = radius * (1.0f + 0.018f * (float) layer);
        g.setColour (juce::Colours::black.withAlpha (0.16f));
        g.fillEllipse (juce::Rectangle<float> (layerRadius * 2.0f, layerRadius * 2.0f)
                           .withCentre (shadowCentre));
    }
}

void KnobPainter::paintSkirt (juce::Graphics& g, float pointerAngle) const
{
    const auto disc = juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre);

    g.setGradientFill ({ juce::Colour (0xff464b52), centre.translated (0.0f, -radius),
                         juce::Colour (0xff131517), centre.translated (0.0f, radius), false });
    g.fillEllipse (disc);

    // Knurling: alternating dark grooves and lit ridges that turn with the knob.
    for (int ridge = 0; ridge < knurlRidges; ++ridge)
    {
        const auto angle = pointerAngle + juce::MathConstants<float>::twoPi * (float) ridge / (float) knurlRidges;
        const auto lit = 0.5f + 0.5f * std::cos (angle + 0.6f); // light from the upper left

        g.setColour (juce::Colours::black.withAlpha (0.55f));
        ArtStyle::drawRadialLine (g, centre, angle, radius * 0.86f, radius * 0.985f, radius * 0.045f);

        g.setColour (juce::Colours::white.withAlpha (0.05f + 0.16f * lit * lit));
        ArtStyle::drawRadialLine (g, centre, angle + juce::MathConstants<float>::pi / (float) knurlRidges,
                                  radius * 0.87f, radius * 0.975f, radius * 0.025f);
    }

    juce::ColourGradient rim (juce::Colours::white.withAlpha (0.35f), centre.translated (0.0f, -radius),
                              juce::Colours::white.withAlpha (0.0f), centre.translated (0.0f, radius * 0.4f), false);
    g.setGradientFill (rim);
    g.drawEllipse (disc.reduced (0.5f), 1.0f);

    g.setColour (juce::Colours::black.withAlpha (0.7f));
    g.drawEllipse (disc.reduced (radius * 0.135f), radius * 0.03f);
}

void KnobPainter::paintCap (juce::Graphics& g) const
{
    const auto capRadius = radius * capShare;
    const auto cap = juce::Rectangle<float> (capRadius * 2.0f, capRadius * 2.0f).withCentre (centre);

    g.setColour (juce::Colour (0xff2a2e33));
    g.fillEllipse (cap);

    // Spun metal: the light catches two opposite sectors of the concentric machining.
    constexpr int sectors = 180;
    constexpr float lightAngle = -0.75f;

    for (int sector = 0; sector < sectors; ++sector)
    {
        const auto from = juce::MathConstants<float>::twoPi * (float) sector / (float) sectors;
        const auto to = juce::MathConstants<float>::twoPi * (float) (sector + 1) / (float) sectors;
        const auto facing = std::cos (2.0f * ((from + to) * 0.5f - lightAngle));
        const auto sheen = std::pow (0.5f + 0.5f * facing, 6.0f);

        juce::Path wedge;
        wedge.addPieSegment (cap, from, to + 0.004f, 0.0f);
        g.setColour (juce::Colour (0xff8f98a0).withAlpha (0.05f + 0.32f * sheen));
        g.fillPath (wedge);
    }

    for (int ring = 1; ring < 9; ++ring)
    {
        const auto ringRadius = capRadius * (float) ring / 9.0f;
        g.setColour (juce::Colours::black.withAlpha (ring % 2 == 0 ? 0.09f : 0.05f));
        g.drawEllipse (juce::Rectangle<float> (ringRadius * 2.0f, ringRadius * 2.0f).withCentre (centre),
                       capRadius * 0.02f);
    }

    juce::ColourGradient dome (juce::Colours::white.withAlpha (0.10f), centre.translated (-capRadius * 0.35f, -capRadius * 0.45f),
                               juce::Colours::white.withAlpha (0.0f), centre.translated (capRadius * 0.5f, capRadius * 0.6f), true);
    g.setGradientFill (dome);
    g.fillEllipse (cap);

    g.setColour (juce::Colours::black.withAlpha (0.75f));
    g.drawEllipse (cap, radius * 0.035f);

    juce::ColourGradient bevel (juce::Colours::white.withAlpha (0.28f), centre.translated (0.0f, -capRadius),
                                juce::Colours::white.withAlpha (0.0f), centre.translated (0.0f, capRadius * 0.2f), false);
    g.setGradientFill (bevel);
    g.drawEllipse (cap.reduced (radius * 0.03f), radius * 0.02f);
}

void KnobPainter::paintPointer (juce::Graphics& g, float pointerAngle) const
{
    const auto thickness = radius * 0.085f;
    const auto shadowOffset = juce::AffineTransform::translation (0.0f, radius * 0.03f);

    juce::Path pointer;
    pointer.startNewSubPath (ArtStyle::polar (centre, radius * 0.30f, pointerAngle));
    pointer.lineTo (ArtStyle::polar (centre, radius * 0.97f, pointerAngle));

    const juce::PathStrokeType stroke (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
    const juce::PathStrokeType shadowStroke (thickness * 1.9f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

    g.setColour (juce::Colours::black.withAlpha (0.55f));
    g.strokePath (pointer, shadowStroke, shadowOffset);

    g.setColour (ArtStyle::Colours::lettering);
    g.strokePath (pointer, stroke);
}
