#include "LogoPainter.h"

#include "ArtStyle.h"
#include "Supersampling.h"

namespace LogoPainter
{
    namespace
    {
        juce::Path hexagon (juce::Point<float> centre, float radius)
        {
            juce::Path path;

            for (int corner = 0; corner < 6; ++corner)
            {
                const auto point = ArtStyle::polar (centre, radius, juce::MathConstants<float>::pi / 3.0f * (float) corner
                                                                        + juce::MathConstants<float>::halfPi);
                if (corner == 0)
                    path.startNewSubPath (point);
                else
                    path.lineTo (point);
            }

            path.closeSubPath();
            return path.createPathWithRoundedCorners (radius * 0.12f);
        }

        juce::Path letter (juce::Point<float> centre, float capHeight)
        {
            const auto font = ArtStyle::panelFont (capHeight);
            juce::GlyphArrangement glyphs;
            glyphs.addLineOfText (font, "B", 0.0f, 0.0f);
            juce::Path path;
            glyphs.createPath (path);
            const auto bounds = path.getBounds();
            path.applyTransform (juce::AffineTransform::translation (centre.x - bounds.getCentreX(),
                                                                     centre.y - bounds.getCentreY()));
            return path;
        }
    }

    juce::Image renderLogo()
    {
        return Artwork::renderSupersampled (width, height, [] (juce::Graphics& g)
        {
            const juce::Point<float> centre { width * 0.5f, height * 0.5f };

            juce::Path mark (hexagon (centre, 45.0f));
            mark.setUsingNonZeroWinding (false);

            juce::Path groove;
            groove.addEllipse (juce::Rectangle<float> (62.0f, 62.0f).withCentre (centre));
            juce::Path grooveOutline;
            juce::PathStrokeType (3.0f).createStrokedPath (grooveOutline, groove);
            mark.addPath (grooveOutline);
            mark.addPath (letter (centre, 36.0f));

            g.setColour (ArtStyle::Colours::lettering);
            g.fillPath (mark);
        });
    }
}
