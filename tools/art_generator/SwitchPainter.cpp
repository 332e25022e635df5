#include "SwitchPainter.h"

#include "ArtStyle.h"
#include "Supersampling.h"

namespace SwitchPainter
{
    namespace
    {
        const juce::Rectangle<float> sectionCap { 7.0f, 9.0f, 35.0f, 35.0f };
        const juce::Rectangle<float> typeCap { 30.0f, 6.0f, 40.0f, 28.0f };

        /** Off on top, on below, each state drawn at width x stateHeight. */
        juce::Image renderTwoStates (int width, int stateHeight,
                                     const std::function<void (juce::Graphics&, bool)>& paintState)
        {
            juce::Array<juce::Image> states;

            for (auto on : { false, true })
                states.add (Artwork::renderSupersampled (width, stateHeight, [&paintState, on] (juce::Graphics& g)
                {
                    paintState (g, on);
                }));

            return Artwork::stackFrames (states);
        }

        void paintLed (juce::Graphics& g, juce::Rectangle<float> led, bool on)
        {
            if (on)
            {
                ArtStyle::fillGlow (g, led.getCentre(), led.getWidth() * 0.95f,
                                    ArtStyle::Colours::accent.withAlpha (0.55f));
                g.setColour (ArtStyle::Colours::accentBright);
                g.fillRoundedRectangle (led, led.getHeight() * 0.5f);
                g.setColour (juce::Colours::white.withAlpha (0.7f));
                g.fillRoundedRectangle (led.reduced (led.getWidth() * 0.2f, led.getHeight() * 0.3f), led.getHeight() * 0.2f);
            }
            else
            {
                g.setColour (juce::Colour (0xff12191a));
                g.fillRoundedRectangle (led, led.getHeight() * 0.5f);
                g.setColour (ArtStyle::Colours::accent.withAlpha (0.18f));
                g.drawRoundedRectangle (led.reduced (0.3f), led.getHeight() * 0.5f, 0.6f);
            }
        }

        /** A square push cap in a dark bezel with a lamp bar near its top edge; pressed in and
            brighter while on.
        */
        void paintSquareCap (juce::Graphics& g, juce::Rectangle<float> cap, bool on)
        {
            constexpr float corner = 5.0f;
            const auto bezel = cap.expanded (2.5f);

            g.setColour (juce::Colours::black.withAlpha (0.45f));
            g.fillRoundedRectangle (bezel.translated (0.0f, 1.5f).expanded (1.0f), corner + 3.0f);
            g.setGradientFill ({ juce::Colour (0xff08090a), bezel.getTopLeft(),
                                 juce::Colour (0xff2b2f33), bezel.getBottomLeft(), false });
            g.fillRoundedRectangle (bezel, corner + 2.0f);

            const auto body = on ? cap.translated (0.0f, 0.8f) : cap;

            if (! on)
            {
                g.setColour (juce::Colours::black.withAlpha (0.6f));
                g.fillRoundedRectangle (body.translated (0.0f, 1.5f), corner);
            }

            g.setGradientFill ({ on ? juce::Colour (0xff515961) : juce::Colour (0xff3d4247), body.getTopLeft(),
                                 on ? juce::Colour (0xff2a2f34) : juce::Colour (0xff1b1d20), body.getBottomLeft(), false });
            g.fillRoundedRectangle (body, corner);

            g.setGradientFill ({ juce::Colours::white.withAlpha (on ? 0.22f : 0.28f), body.getTopLeft(),
                                 juce::Colours::white.withAlpha (0.0f), body.getTopLeft().translated (0.0f, body.getHeight() * 0.5f), false });
            g.drawRoundedRectangle (body.reduced (0.6f), corner, 1.0f);

            const auto led = juce::Rectangle<float> (body.getWidth() * 0.5f, 4.0f)
                                 .withCentre ({ body.getCentreX(), body.getY() + 7.0f });

            if (on)
            {
                juce::Graphics::ScopedSaveState state (g);
                juce::Path face;
                face.addRoundedRectangle (body, corner);
                g.reduceClipRegion (face);
                ArtStyle::fillGlow (g, { body.getCentreX(), body.getY() + 7.0f }, body.getWidth() * 0.75f,
                                    ArtStyle::Colours::accent.withAlpha (0.14f));
            }

            paintLed (g, led, on);

            g.setColour (juce::Colours::black.withAlpha (0.8f));
            g.drawRoundedRectangle (body, corner, 0.8f);
        }

        void paintPowerState (juce::Graphics& g, bool on)
        {
            const juce::Point<float> centre { 48.0f, 48.0f };
            const auto circle = [centre] (float radius)
            {
                return juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre);
            };

            g.setColour (juce::Colours::black.withAlpha (0.5f));
            g.fillEllipse (circle (43.0f).translated (0.0f, 2.0f));

            g.setGradientFill ({ juce::Colour (0xff4a4f56), centre.translated (0.0f, -42.0f),
                                 juce::Colour (0xff101113), centre.translated (0.0f, 42.0f), false });
            g.fillEllipse (circle (42.0f));
            g.setColour (juce::Colours::black.withAlpha (0.8f));
            g.drawEllipse (circle (41.5f), 1.0f);

            // Lamp ring in a dark channel.
            g.setColour (juce::Colour (0xff07090a));
            g.fillEllipse (circle (38.5f));

            juce::Path ring;
            ring.addEllipse (circle (36.0f));

            if (on)
            {
                g.setColour (ArtStyle::Colours::accent.withAlpha (0.25f));
                g.strokePath (ring, juce::PathStrokeType (7.0f));
                g.setColour (ArtStyle::Colours::accentBright);
                g.strokePath (ring, juce::PathStrokeType (3.0f));
            }
            else
            {
                g.setColour (juce::Colour (0xff1a2425));
                g.strokePath (ring, juce::PathStrokeType (3.0f));
            }

            // The cap, brighter and pressed in while on.
            const auto capCentre = on ? centre.translated (0.0f, 0.8f) : centre;
            const auto cap = juce::Rectangle<float> (62.0f, 62.0f).withCentre (capCentre);

            g.setColour (juce::Colours::black.withAlpha (0.7f));
            g.fillEllipse (cap.expanded (1.5f).translated (0.0f, on ? 0.5f : 2.0f));
            g.setGradientFill ({ on ? juce::Colour (0xff4c535a) : juce::Colour (0xff393d42), cap.getTopLeft(),
                                 on ? juce::Colour (0xff23272b) : juce::Colour (0xff17191b), cap.getBottomRight(), false });
            g.fillEllipse (cap);

            juce::ColourGradient sheen (juce::Colours::white.withAlpha (on ? 0.14f : 0.10f), capCentre.translated (-12.0f, -16.0f),
                                        juce::Colours::white.withAlpha (0.0f), capCentre.translated (14.0f, 20.0f), true);
            g.setGradientFill (sheen);
            g.fillEllipse (cap);

            g.setGradientFill ({ juce::Colours::white.withAlpha (0.3f), cap.getTopLeft(),
                                 juce::Colours::white.withAlpha (0.0f), cap.getCentre(), false });
            g.drawEllipse (cap.reduced (0.7f), 1.2f);

            // Power symbol.
            juce::Path symbol;
            symbol.addCentredArc (capCentre.x, capCentre.y + 1.5f, 12.0f, 12.0f, 0.0f,
                                  juce::degreesToRadians (38.0f), juce::degreesToRadians (322.0f), true);
            symbol.startNewSubPath (capCentre.x, capCentre.y - 14.0f);
            symbol.lineTo (capCentre.x, capCentre.y - 1.0f);
            const juce::PathStrokeType stroke (3.4f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

            if (on)
            {
                g.setColour (ArtStyle::Colours::accent.withAlpha (0.3f));
                g.strokePath (symbol, juce::PathStrokeType (8.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
                g.setColour (ArtStyle::Colours::accentBright);
            }
            else
            {
                g.setColour (juce::Colour (0xff6a7075));
            }

            g.strokePath (symbol, stroke);
        }
    }

    juce::Image renderPowerButton()
    {
        return renderTwoStates (96, 98, paintPowerState);
    }

    juce::Image renderSectionButton()
    {
        return renderTwoStates (49, 52, [] (juce::Graphics& g, bool on) { paintSquareCap (g, sectionCap, on); });
    }

    juce::Image renderTypeButton()
    {
        return renderTwoStates (100, 78, [] (juce::Graphics& g, bool on) { paintSquareCap (g, typeCap, on); });
    }

    juce::Rectangle<float> typeButtonCap()
    {
        return typeCap;
    }
}
