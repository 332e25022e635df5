#include "ArtStyle.h"

#include <ArtFonts.h>

namespace ArtStyle
{
    namespace
    {
        struct PanelTypeface
        {
            PanelTypeface()
                : typeface (juce::Typeface::createSystemTypefaceFor (ArtFonts::menu_font_ttf,
                                                                     (size_t) ArtFonts::menu_font_ttfSize))
            {
                const juce::Font probe (juce::Font (typeface).withHeight (100.0f));
                juce::GlyphArrangement glyphs;
                glyphs.addLineOfText (probe, "H", 0.0f, 0.0f);
                juce::Path outline;
                glyphs.createPath (outline);
                capHeightPerUnit = outline.getBounds().getHeight() / 100.0f;
            }

            juce::Typeface::Ptr typeface;
            float capHeightPerUnit = 0.56f;
        };

        const PanelTypeface& panelTypeface()
        {
            static const PanelTypeface instance;
            return instance;
        }

        juce::Path labelPath (const juce::String& text, juce::Point<float> centre,
                              float capHeight, float extraKerning)
        {
            const auto font = panelFont (capHeight).withExtraKerningFactor (extraKerning);
            const auto bounds = labelBounds (text, centre, capHeight, extraKerning);

            juce::GlyphArrangement glyphs;
            glyphs.addLineOfText (font, text, bounds.getX(), bounds.getBottom());
            juce::Path path;
            glyphs.createPath (path);
            return path;
        }
    }

    juce::Font panelFont (float capHeight)
    {
        const auto& face = panelTypeface();
        return juce::Font (face.typeface).withHeight (capHeight / face.capHeightPerUnit);
    }

    juce::Rectangle<float> labelBounds (const juce::String& text, juce::Point<float> centre,
                                        float capHeight, float extraKerning)
    {
        const auto font = panelFont (capHeight).withExtraKerningFactor (extraKerning);
        // The last letter's trailing kerning is not part of the visible word.
        const auto width = font.getStringWidthFloat (text) - extraKerning * font.getHeight();
        return { centre.x - width * 0.5f, centre.y - capHeight * 0.5f, width, capHeight };
    }

    void drawLabel (juce::Graphics& g, const juce::String& text, juce::Point<float> centre,
                    float capHeight, juce::Colour colour, float extraKerning)
    {
        const auto path = labelPath (text, centre, capHeight, extraKerning);

        g.setColour (juce::Colours::black.withAlpha (0.55f));
        g.fillPath (path, juce::AffineTransform::translation (0.0f, 1.0f));
        g.setColour (colour);
        g.fillPath (path);
    }

    juce::Point<float> polar (juce::Point<float> centre, float radius, float angle)
    {
        return { centre.x + radius * std::sin (angle), centre.y - radius * std::cos (angle) };
    }

    float noise (int x, int y, juce::uint32 seed)
    {
        auto h = (juce::uint32) x * 0x8da6b343u ^ (juce::uint32) y * 0xd8163841u ^ seed * 0xcb1ab31fu;
        h ^= h >> 16;
        h *= 0x7feb352du;
        h ^= h >> 15;
        h *= 0x846ca68bu;
        h ^= h >> 16;
        return (float) (h >> 8) / (float) (1u << 24);
    }

    void fillGlow (juce::Graphics& g, juce::Point<float> centre, float radius, juce::Colour colour)
    {
        juce::ColourGradient glow (colour, centre, colour.withAlpha (0.0f),
                                   centre.translated (radius, 0.0f), true);
        glow.addColour (0.4, colour.withMultipliedAlpha (0.45f));
        g.setGradientFill (glow);
        g.fillEllipse (juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre));
    }

    void drawRadialLine (juce::Graphics& g, juce::Point<float> centre, float angle,
                         float innerRadius, float outerRadius, float thickness)
    {
        juce::Path line;
        line.startNewSubPath (polar (centre, innerRadius, angle));
        line.lineTo (polar (centre, outerRadius, angle));
        g.strokePath (line, juce::PathStrokeType (thickness, juce::PathStrokeType::curved,
                                                  juce::PathStrokeType::rounded));
    }
}
