#include "BackgroundPainter.h"

#include "ArtStyle.h"
#include "MeterPainter.h"
#include "PanelLayout.h"
#include "Scales.h"
#include "Supersampling.h"
#include "SwitchPainter.h"

#include <iterator>

namespace
{
    constexpr int panelWidth = PanelLayout::designWidth;
    constexpr int panelHeight = PanelLayout::designHeight - PanelLayout::topBarHeight;
    constexpr float top = (float) PanelLayout::topBarHeight;

    constexpr float captionCap = 15.0f;
    constexpr float headingCap = 14.0f;
    constexpr float smallCaptionCap = 13.0f;

    bool isLarge (const PanelLayout::Dial& dial)
    {
        return dial.frameSize > 120;
    }

    float scaleCapFor (const PanelLayout::Dial& dial)
    {
        return isLarge (dial) ? 13.0f : 12.0f;
    }

    /** Distance from a box's centre to its edge in the direction of angle. */
    float boxReach (juce::Rectangle<float> box, float angle)
    {
        return box.getWidth() * 0.5f * std::abs (std::sin (angle))
             + box.getHeight() * 0.5f * std::abs (std::cos (angle));
    }

    // The plate around the needle meter, bulging round the level ring below it.
    const juce::Rectangle<float> meterPlate { 413.0f, 287.0f, 274.0f, 142.0f };
    constexpr float ringPlateRadius = 64.0f;

    juce::Point<float> ringCentre()
    {
        return PanelLayout::boundsOf ("outputMeter").toFloat().getCentre();
    }

    juce::Path meterBridgeOutline()
    {
        const auto ringCentre = ::ringCentre();
        const auto bottom = meterPlate.getBottom();
        const auto dy = bottom - ringCentre.y;
        const auto dx = std::sqrt (ringPlateRadius * ringPlateRadius - dy * dy);
        const auto joinAngle = std::atan2 (dx, -dy);

        juce::Path outline;
        outline.startNewSubPath (meterPlate.getX(), meterPlate.getY());
        outline.lineTo (meterPlate.getRight(), meterPlate.getY());
        outline.lineTo (meterPlate.getRight(), bottom);
        outline.lineTo (ringCentre.x + dx, bottom);
        outline.addCentredArc (ringCentre.x, ringCentre.y, ringPlateRadius, ringPlateRadius, 0.0f,
                               joinAngle, juce::MathConstants<float>::twoPi - joinAngle, false);
        outline.lineTo (meterPlate.getX(), bottom);
        outline.closeSubPath();
        return outline.createPathWithRoundedCorners (10.0f);
    }
}

BackgroundPainter::BackgroundPainter()
{
    layOutHeadings();
    layOutDialLabels();
    layOutSwitchLabels();
}

void BackgroundPainter::layOutHeadings()
{
    using namespace ArtStyle::Colours;

    // A heading between two fine rules that run out to the edges of its group.
    const auto addRuledHeading = [this] (const juce::String& text, float left, float right, float y,
                                         float capHeight, juce::Colour colour, float kerning)
    {
        const auto centre = juce::Point<float> ((left + right) * 0.5f, y);
        const auto box = ArtStyle::labelBounds (text, centre, capHeight, kerning);
        labels.push_back ({ text, centre, capHeight, colour, kerning, {} });
        rules.push_back ({ left, y, box.getX() - 14.0f, y });
        rules.push_back ({ box.getRight() + 14.0f, y, right, y });
    };

    addRuledHeading ("BRASSOCK", 400.0f, 700.0f, 110.0f, 12.0f, accent, 0.6f);

    const auto nameCap = 30.0f;
    const auto nameKerning = 0.22f;
    const auto nameBounds = ArtStyle::labelBounds ("VASTREL", {}, nameCap, nameKerning);
    const auto versionBounds = ArtStyle::labelBounds ("V3", {}, nameCap, nameKerning);
    const auto space = nameCap * 0.6f;
    const auto left = 550.0f - (nameBounds.getWidth() + space + versionBounds.getWidth()) * 0.5f;

    labels.push_back ({ "VASTREL", { left + nameBounds.getWidth() * 0.5f, 150.0f }, nameCap, lettering, nameKerning, {} });
    labels.push_back ({ "V3", { left + nameBounds.getWidth() + space + versionBounds.getWidth() * 0.5f, 150.0f },
                        nameCap, accent, nameKerning, {} });
    labels.push_back ({ "TAPE CHANNEL STRIP", { 550.0f, 190.0f }, 12.0f, scaleText, 0.4f, {} });

    addRuledHeading ("COMPRESSOR", 33.0f, 390.0f, 240.0f, headingCap, accent, 0.3f);
    addRuledHeading ("EQUALIZER", 712.0f, 1068.0f, 240.0f, headingCap, accent, 0.3f);

    labels.push_back ({ "GAIN REDUCTION", { 550.0f, 272.0f }, smallCaptionCap, lettering, 0.2f, {} });
    labels.push_back ({ "OUT", ringCentre(), smallCaptionCap, lettering, 0.2f, "outputMeter" });
    labels.push_back ({ "TAPE TYPE", { 550.0f, 552.0f }, smallCaptionCap, lettering, 0.3f, {} });
}

void BackgroundPainter::layOutDialLabels()
{
    for (const auto& dial : PanelLayout::dials())
    {
        const auto centre = dial.centre();
        const auto geometry = PanelLayout::knobGeometry (dial.frameSize);
        const auto scaleCap = scaleCapFor (dial);

        for (const auto& mark : dial.marks)
        {
            if (mark.text.isEmpty())
                continue;

            // Each number stands off the end of its tick; below the knob's centre they lean out
            // sideways, keeping clear of the caption underneath.
            const auto angle = dial.angleFor (mark.value);
            const auto halfPi = juce::MathConstants<float>::halfPi;
            const auto lean = std::abs (angle) > halfPi ? std::copysign (halfPi + (std::abs (angle) - halfPi) * 0.5f, angle)
                                                        : angle;
            const auto box = ArtStyle::labelBounds (mark.text, {}, scaleCap);
            const auto tickEnd = ArtStyle::polar (centre, geometry.tickOuter, angle);
            const auto textCentre = ArtStyle::polar (tickEnd, 2.5f + boxReach (box, lean), lean);
            labels.push_back ({ mark.text, textCentre, scaleCap, ArtStyle::Colours::scaleText, 0.0f, dial.control });

            if (mark.note.isNotEmpty())
            {
                const auto noteWidth = ArtStyle::labelBounds (mark.note, {}, scaleCap).getWidth();
                const auto noteCentre = textCentre.translated ((box.getWidth() + noteWidth) * 0.5f + 4.0f, 0.0f);
                labels.push_back ({ mark.note, noteCentre, scaleCap, ArtStyle::Colours::accent, 0.0f, dial.control });
            }
        }

        const auto captionDrop = isLarge (dial) ? 66.0f : 55.0f;
        labels.push_back ({ dial.caption, centre.translated (0.0f, captionDrop), captionCap,
                            ArtStyle::Colours::lettering, 0.08f, dial.control });
    }
}

void BackgroundPainter::layOutSwitchLabels()
{
    using namespace ArtStyle::Colours;

    const auto above = [] (const juce::String& control)
    {
        const auto bounds = PanelLayout::boundsOf (control).toFloat();
        return juce::Point<float> (bounds.getCentreX(), bounds.getY() - 10.0f);
    };

    labels.push_back ({ "COMP", above ("compButton"), smallCaptionCap + 1.0f, lettering, 0.12f, {} });
    labels.push_back ({ "EQ", above ("eqButton"), smallCaptionCap + 1.0f, lettering, 0.12f, {} });

    const auto power = PanelLayout::boundsOf ("powerButton").toFloat();
    labels.push_back ({ "POWER", { power.getCentreX(), power.getBottom() + 11.0f }, smallCaptionCap + 1.0f,
                        lettering, 0.12f, {} });

    const auto cap = SwitchPainter::typeButtonCap();
    const juce::StringArray letters { "A", "B", "C", "D" };
    const juce::StringArray buttons { "typeAButton", "typeBButton", "typeCButton", "typeDButton" };

    for (int i = 0; i < 4; ++i)
    {
        const auto bounds = PanelLayout::boundsOf (buttons[i]).toFloat();
        labels.push_back ({ letters[i], bounds.getPosition() + juce::Point<float> (cap.getCentreX(), cap.getBottom() + 13.0f),
                            captionCap, lettering, 0.0f, buttons[i] });
    }
}

juce::StringArray BackgroundPainter::layoutProblems() const
{
    juce::StringArray problems;

    const auto boundsOf = [] (const Label& label)
    {
        return ArtStyle::labelBounds (label.text, label.centre, label.capHeight, label.kerning);
    };

    for (auto first = labels.begin(); first != labels.end(); ++first)
        for (auto second = std::next (first); second != labels.end(); ++second)
            if (boundsOf (*first).expanded (1.0f).intersects (boundsOf (*second).expanded (1.0f)))
                problems.add ("\"" + first->text + "\" touches \"" + second->text + "\"");

    for (const auto& label : labels)
    {
        const auto bounds = boundsOf (label).expanded (0.5f);

        for (const auto& control : PanelLayout::controls())
            if (control.name != label.owner && bounds.intersects (control.bounds.toFloat()))
                problems.add ("\"" + label.text + "\" at " + bounds.toString() + " overlaps " + control.name);

        if (bounds.getY() < top || bounds.getBottom() > (float) PanelLayout::bottomStripTop)
            problems.add ("\"" + label.text + "\" leaves the panel");
    }

    return problems;
}

juce::Image BackgroundPainter::render() const
{
    const auto panel = Artwork::renderSupersampled (panelWidth, panelHeight, [this] (juce::Graphics& g)
    {
        g.addTransform (juce::AffineTransform::translation (0.0f, -top));

        paintMetal (g);
        paintRules (g);
        paintMeterBridge (g);
        paintSeats (g);
        paintDialScales (g);

        for (const auto& label : labels)
            ArtStyle::drawLabel (g, label.text, label.centre, label.capHeight, label.colour, label.kerning);

        paintScrews (g);
        paintBottomStrip (g);
    });

    return panel.convertedToFormat (juce::Image::RGB);
}

void BackgroundPainter::paintMetal (juce::Graphics& g) const
{
    // Brushed metal at one panel pixel per texel: horizontal grain of varying length and
    // strength, drawn unfiltered into the larger canvas.
    juce::Image metal (juce::Image::RGB, panelWidth, panelHeight, false, juce::SoftwareImageType());
    juce::Image::BitmapData pixels (metal, juce::Image::BitmapData::writeOnly);

    const auto upper = ArtStyle::Colours::panelLight;
    const auto lower = ArtStyle::Colours::panelDark;

    for (int y = 0; y < panelHeight; ++y)
    {
        const auto rowShade = (ArtStyle::noise (0, y, 11) - 0.5f) * 0.035f;
        const auto base = upper.interpolatedWith (lower, (float) y / (float) panelHeight);

        for (int x = 0; x < panelWidth; ++x)
        {
            const auto cell = x / 23;
            const auto blend = (float) (x % 23) / 23.0f;
            const auto grain = juce::jmap (blend, ArtStyle::noise (cell, y, 5), ArtStyle::noise (cell + 1, y, 5)) - 0.5f;
            const auto fine = ArtStyle::noise (x, y, 7) - 0.5f;

            const auto dx = ((float) x - panelWidth * 0.5f) / (panelWidth * 0.5f);
            const auto dy = ((float) y - panelHeight * 0.45f) / (panelHeight * 0.6f);
            const auto vignette = 1.0f - 0.16f * juce::jmin (1.0f, dx * dx * 0.6f + dy * dy * 0.8f);

            const auto shade = vignette * (1.0f + rowShade + grain * 0.05f + fine * 0.03f);
            pixels.setPixelColour (x, y, juce::Colour::fromFloatRGBA (base.getFloatRed() * shade,
                                                                      base.getFloatGreen() * shade,
                                                                      base.getFloatBlue() * shade, 1.0f));
        }
    }

    juce::Graphics::ScopedSaveState state (g);
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);
    g.drawImageAt (metal, 0, (int) top);
}

void BackgroundPainter::paintRules (juce::Graphics& g) const
{
    for (const auto& rule : rules)
    {
        const juce::Rectangle<float> line (rule.getStartX(), rule.getStartY(), rule.getLength(), 1.0f);
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.fillRect (line.translated (0.0f, 1.0f));
        g.setColour (ArtStyle::Colours::accent.withAlpha (0.5f));
        g.fillRect (line);
    }
}

void BackgroundPainter::paintMeterBridge (juce::Graphics& g) const
{
    const auto outline = meterBridgeOutline();

    g.setColour (juce::Colours::white.withAlpha (0.07f));
    g.fillPath (outline, juce::AffineTransform::translation (0.0f, 1.5f));

    g.setGradientFill ({ ArtStyle::Colours::recess, { 0.0f, meterPlate.getY() },
                         juce::Colour (0xff15171a), { 0.0f, ringCentre().y + ringPlateRadius }, false });
    g.fillPath (outline);

    // Inner shadow along the upper edges.
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (outline);
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.strokePath (outline, juce::PathStrokeType (4.0f), juce::AffineTransform::translation (0.0f, 1.5f));

    MeterPainter::paintUnlitRing (g, PanelLayout::boundsOf ("outputMeter").toFloat());
}

void BackgroundPainter::paintSeats (juce::Graphics& g) const
{
    // A dark collar under each knob, so that the knobs sit in the panel rather than on it.
    for (const auto& dial : PanelLayout::dials())
    {
        const auto radius = PanelLayout::knobGeometry (dial.frameSize).disc + 2.5f;
        const auto seat = juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (dial.centre());
        g.setColour (juce::Colours::black.withAlpha (0.45f));
        g.fillEllipse (seat);
        g.setColour (juce::Colours::white.withAlpha (0.06f));
        g.drawEllipse (seat.translated (0.0f, 1.0f), 1.0f);
    }
}

void BackgroundPainter::paintDialScales (juce::Graphics& g) const
{
    for (const auto& dial : PanelLayout::dials())
    {
        const auto centre = dial.centre();
        const auto geometry = PanelLayout::knobGeometry (dial.frameSize);
        const auto inner = geometry.tickInner;
        const auto majorWidth = isLarge (dial) ? 1.8f : 1.5f;

        juce::Path arc;
        arc.addCentredArc (centre.x, centre.y, inner, inner, 0.0f,
                           Scales::knobAngle (0, dial.numFrames), Scales::knobAngle (dial.numFrames - 1, dial.numFrames), true);
        g.setColour (ArtStyle::Colours::tick.withAlpha (0.35f));
        g.strokePath (arc, juce::PathStrokeType (1.0f));

        g.setColour (ArtStyle::Colours::tick.withAlpha (0.6f));

        for (auto value : dial.minorTicks)
            ArtStyle::drawRadialLine (g, centre, dial.angleFor (value), inner, geometry.minorTickOuter, 1.0f);

        g.setColour (ArtStyle::Colours::tick);

        for (const auto& mark : dial.marks)
            ArtStyle::drawRadialLine (g, centre, dial.angleFor (mark.value), inner, geometry.tickOuter, majorWidth);
    }
}

void BackgroundPainter::paintScrews (juce::Graphics& g) const
{
    for (auto position : { juce::Point<float> (20.0f, 82.0f), juce::Point<float> (1080.0f, 82.0f),
                           juce::Point<float> (20.0f, 778.0f), juce::Point<float> (1080.0f, 778.0f) })
    {
        const auto head = juce::Rectangle<float> (11.0f, 11.0f).withCentre (position);
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.fillEllipse (head.expanded (1.0f).translated (0.0f, 1.0f));
        g.setGradientFill ({ juce::Colour (0xff5a6068), head.getTopLeft(), juce::Colour (0xff1d2023), head.getBottomRight(), false });
        g.fillEllipse (head);
        g.setColour (juce::Colours::black.withAlpha (0.7f));
        ArtStyle::drawRadialLine (g, position, 0.5f, -4.0f, 4.0f, 1.4f);
    }
}

void BackgroundPainter::paintBottomStrip (juce::Graphics& g) const
{
    const juce::Rectangle<float> strip (0.0f, (float) PanelLayout::bottomStripTop, (float) panelWidth,
                                        (float) (PanelLayout::designHeight - PanelLayout::bottomStripTop));

    g.setColour (ArtStyle::Colours::bottomStrip);
    g.fillRect (strip);
    g.setColour (juce::Colours::black);
    g.fillRect (strip.withHeight (1.0f));
    g.setColour (juce::Colours::white.withAlpha (0.05f));
    g.fillRect (strip.withHeight (1.0f).translated (0.0f, 1.0f));
}
