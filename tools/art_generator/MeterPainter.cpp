#include "MeterPainter.h"

#include "ArtStyle.h"
#include "PanelLayout.h"
#include "Scales.h"
#include "Supersampling.h"

namespace MeterPainter
{
    namespace
    {
        //==============================================================================
        // Needle meter: the visible window ends above the ring meter, which overlaps the
        // bottom rows of this component.
        const juce::Rectangle<float> bezel { 2.0f, 2.0f, 246.0f, 112.0f };
        const juce::Rectangle<float> face { 6.0f, 6.0f, 238.0f, 104.0f };
        const juce::Point<float> pivot { 125.0f, 140.0f };
        constexpr float scaleRadius = 104.0f;
        constexpr float labelCapHeight = 12.0f;

        float needleAngleForReduction (double reductionDb)
        {
            return Scales::needleAngle (Scales::needleFrame (reductionDb));
        }

        void paintFace (juce::Graphics& g)
        {
            g.setGradientFill ({ juce::Colour (0xff3c4146), { 0.0f, bezel.getY() },
                                 juce::Colour (0xff141618), { 0.0f, bezel.getBottom() }, false });
            g.fillRoundedRectangle (bezel, 8.0f);
            g.setColour (juce::Colours::black.withAlpha (0.8f));
            g.drawRoundedRectangle (bezel.reduced (0.5f), 8.0f, 1.0f);

            g.setGradientFill ({ juce::Colour (0xff1a2527), { 0.0f, face.getY() },
                                 juce::Colour (0xff0a0e0f), { 0.0f, face.getBottom() }, false });
            g.fillRoundedRectangle (face, 5.0f);

            // Backlight spreading from behind the scale.
            juce::Graphics::ScopedSaveState clip (g);
            juce::Path window;
            window.addRoundedRectangle (face, 5.0f);
            g.reduceClipRegion (window);
            ArtStyle::fillGlow (g, { pivot.x, 70.0f }, 130.0f, ArtStyle::Colours::accent.withAlpha (0.2f));
        }

        void paintScale (juce::Graphics& g)
        {
            const auto zeroAngle = needleAngleForReduction (0.0);
            const auto leftAngle = Scales::needleAngle (0);

            juce::Path band;
            band.addCentredArc (pivot.x, pivot.y, scaleRadius - 5.0f, scaleRadius - 5.0f, 0.0f,
                                leftAngle, zeroAngle, true);
            g.setColour (ArtStyle::Colours::accent.withAlpha (0.85f));
            g.strokePath (band, juce::PathStrokeType (2.5f));

            juce::Path arc;
            arc.addCentredArc (pivot.x, pivot.y, scaleRadius, scaleRadius, 0.0f, leftAngle, zeroAngle, true);
            g.setColour (ArtStyle::Colours::lettering.withAlpha (0.9f));
            g.strokePath (arc, juce::PathStrokeType (1.2f));

            for (auto reduction : PanelLayout::needleMinorTicks())
                ArtStyle::drawRadialLine (g, pivot, needleAngleForReduction (reduction),
                                          scaleRadius, scaleRadius + 5.0f, 1.2f);

            for (auto reduction : PanelLayout::needleLabels())
            {
                const auto angle = needleAngleForReduction (reduction);
                ArtStyle::drawRadialLine (g, pivot, angle, scaleRadius - 2.0f, scaleRadius + 9.0f, 1.8f);
                ArtStyle::drawLabel (g, juce::String ((int) reduction),
                                     ArtStyle::polar (pivot, scaleRadius + 19.0f, angle),
                                     labelCapHeight, ArtStyle::Colours::lettering);
            }

            ArtStyle::drawLabel (g, "dB", { pivot.x, 80.0f }, labelCapHeight, ArtStyle::Colours::scaleText, 0.1f);
        }

        void paintNeedle (juce::Graphics& g, int frame)
        {
            const auto angle = Scales::needleAngle (frame);
            juce::Graphics::ScopedSaveState clip (g);
            g.reduceClipRegion (face.toNearestInt());

            g.setColour (juce::Colours::black.withAlpha (0.45f));
            ArtStyle::drawRadialLine (g, pivot.translated (1.5f, 2.0f), angle, 30.0f, scaleRadius + 8.0f, 2.2f);

            g.setColour (juce::Colour (0xfff4f0e6));
            ArtStyle::drawRadialLine (g, pivot, angle, 30.0f, scaleRadius + 8.0f, 1.6f);

            // The pivot's cover, rising from the bottom edge of the face.
            g.setGradientFill ({ juce::Colour (0xff30353a), { pivot.x, face.getBottom() - 18.0f },
                                 juce::Colour (0xff0e1011), { pivot.x, face.getBottom() }, false });
            const auto cover = juce::Rectangle<float> (48.0f, 48.0f).withCentre ({ pivot.x, face.getBottom() + 6.0f });
            g.setColour (juce::Colours::black.withAlpha (0.5f));
            g.fillEllipse (cover.expanded (2.0f));
            g.fillEllipse (cover);
            g.setGradientFill ({ juce::Colour (0xff3a4046), cover.getTopLeft(), juce::Colour (0xff111315), cover.getCentre(), false });
            g.fillEllipse (cover);
            g.setColour (juce::Colours::white.withAlpha (0.18f));
            g.drawEllipse (cover.reduced (0.5f), 1.0f);
        }

        void paintGlass (juce::Graphics& g)
        {
            juce::Path reflection;
            reflection.startNewSubPath (face.getX(), face.getY());
            reflection.lineTo (face.getRight(), face.getY());
            reflection.lineTo (face.getRight(), face.getY() + 20.0f);
            reflection.quadraticTo (face.getCentreX(), face.getY() + 42.0f, face.getX(), face.getY() + 34.0f);
            reflection.closeSubPath();

            juce::Graphics::ScopedSaveState clip (g);
            juce::Path window;
            window.addRoundedRectangle (face, 5.0f);
            g.reduceClipRegion (window);

            g.setGradientFill ({ juce::Colours::white.withAlpha (0.07f), { 0.0f, face.getY() },
                                 juce::Colours::white.withAlpha (0.01f), { 0.0f, face.getY() + 40.0f }, false });
            g.fillPath (reflection);

            g.setColour (juce::Colours::black.withAlpha (0.6f));
            g.drawRoundedRectangle (face.reduced (0.5f), 5.0f, 1.5f);
        }

        //==============================================================================
        // Level ring: segments climb each side from the bottom to the top.
        constexpr float ringOuter = 52.0f;
        constexpr float ringInner = 42.0f;
        constexpr float endGap = juce::degreesToRadians (4.0f);
        constexpr float segmentGap = juce::degreesToRadians (2.2f);

        juce::Path segmentPath (juce::Point<float> centre, int segment, bool leftHalf)
        {
            const auto span = (juce::MathConstants<float>::pi - 2.0f * endGap) / (float) Scales::ringSegments;
            const auto from = endGap + span * (float) segment + segmentGap * 0.5f;
            const auto to = from + span - segmentGap;

            // Measured from the bottom of the ring, clockwise for the left half.
            const auto start = leftHalf ? juce::MathConstants<float>::pi + from : juce::MathConstants<float>::pi - to;
            const auto end = leftHalf ? juce::MathConstants<float>::pi + to : juce::MathConstants<float>::pi - from;

            juce::Path path;
            path.addCentredArc (centre.x, centre.y, ringOuter, ringOuter, 0.0f, start, end, true);
            path.addCentredArc (centre.x, centre.y, ringInner, ringInner, 0.0f, end, start, false);
            path.closeSubPath();
            return path;
        }

        juce::Colour segmentColour (int segment)
        {
            const auto thresholdDb = Scales::segmentThresholdDb (segment);

            if (thresholdDb >= -3.0)
                return ArtStyle::Colours::warning;

            if (thresholdDb >= -12.0)
                return ArtStyle::Colours::accentBright;

            return ArtStyle::Colours::accent;
        }

        void paintLitSegments (juce::Graphics& g, juce::Point<float> centre, int lit, bool leftHalf)
        {
            for (int segment = 0; segment < lit; ++segment)
            {
                const auto path = segmentPath (centre, segment, leftHalf);
                const auto colour = segmentColour (segment);

                g.setColour (colour.withAlpha (0.22f));
                g.strokePath (path, juce::PathStrokeType (3.0f, juce::PathStrokeType::curved));
                g.setColour (colour);
                g.fillPath (path);
                g.setColour (juce::Colours::white.withAlpha (0.25f));
                g.strokePath (path, juce::PathStrokeType (0.6f));
            }
        }

        juce::Image renderNeedleFrame (int frame)
        {
            return Artwork::renderSupersampled (needleWidth, needleHeight, [frame] (juce::Graphics& g)
            {
                paintFace (g);
                paintScale (g);
                paintNeedle (g, frame);
                paintGlass (g);
            });
        }
    }

    juce::Image renderNeedleStrip()
    {
        juce::Array<juce::Image> frames;

        for (int frame = 0; frame < Scales::needleFrames; ++frame)
            frames.add (renderNeedleFrame (frame));

        return Artwork::stackFrames (frames);
    }

    juce::Image renderLevelStrip (bool leftHalf)
    {
        const auto half = ringSize / 2;
        juce::Array<juce::Image> frames;

        for (int frame = 0; frame < Scales::levelFrames; ++frame)
        {
            const auto lit = Scales::litSegments (frame);
            const auto ring = Artwork::renderSupersampled (ringSize, ringSize, [lit, leftHalf] (juce::Graphics& g)
            {
                paintLitSegments (g, { ringSize * 0.5f, ringSize * 0.5f }, lit, leftHalf);
            });

            frames.add (ring.getClippedImage ({ leftHalf ? 0 : half, 0, half, ringSize }));
        }

        return Artwork::stackFrames (frames);
    }

    void paintUnlitRing (juce::Graphics& g, juce::Rectangle<float> ringArea)
    {
        const auto centre = ringArea.getCentre();

        for (auto leftHalf : { true, false })
        {
            for (int segment = 0; segment < Scales::ringSegments; ++segment)
            {
                const auto path = segmentPath (centre, segment, leftHalf);
                g.setColour (segmentColour (segment).interpolatedWith (juce::Colour (0xff0c0e0f), 0.86f));
                g.fillPath (path);
                g.setColour (juce::Colours::black.withAlpha (0.6f));
                g.strokePath (path, juce::PathStrokeType (0.8f));
            }
        }
    }
}
