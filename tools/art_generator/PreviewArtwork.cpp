// Composes the editor as it will look from a folder of generated pictures: the black top bar,
// the background and every control's picture at its rectangle, in a few states, at the design
// size and at the editor's smaller sizes. For looking at the artwork; nothing here is shipped.
//
// Usage: vastrel_art_preview [picture-folder] [output-folder]    (default: resources build/art_preview)

#include "PanelLayout.h"
#include "Scales.h"

#include <juce_graphics/juce_graphics.h>

#include <iostream>
#include <map>

namespace
{
    struct PanelState
    {
        juce::String name;
        std::map<juce::String, double> knobValues;
        bool power, comp, eq;
        juce::String activeType;
        double gainReductionDb;
        int leftLevelFrame, rightLevelFrame;
    };

    const std::vector<PanelState>& states()
    {
        static const std::vector<PanelState> all {
            { "default",
              { { "knob1", 0 }, { "knob2", 0 }, { "knob4", 20 }, { "knob3", 0 }, { "knob5", 0 }, { "knob6", 0 },
                { "knob7", 100 }, { "knob8", -10 }, { "knob9", 1 }, { "knob10", 1 }, { "knob11", 1 } },
              true, true, true, "typeAButton", 0.0, 0, 0 },
            { "active",
              { { "knob1", 8 }, { "knob2", 12 }, { "knob4", 35 }, { "knob3", 4 }, { "knob5", -3 }, { "knob6", 6 },
                { "knob7", 70 }, { "knob8", 0 }, { "knob9", 3 }, { "knob10", 4 }, { "knob11", 2 } },
              true, true, false, "typeCButton", 6.0, 64, 40 },
            { "extremes",
              { { "knob1", 24 }, { "knob2", 25 }, { "knob4", 60 }, { "knob3", -10 }, { "knob5", 10 }, { "knob6", -10 },
                { "knob7", 0 }, { "knob8", 10 }, { "knob9", 5 }, { "knob10", 6 }, { "knob11", 6 } },
              false, false, false, "typeBButton", 40.0, 128, 110 },
        };

        return all;
    }

    juce::Image load (const juce::File& folder, const char* name)
    {
        auto image = juce::ImageFileFormat::loadFrom (folder.getChildFile (name));

        if (! image.isValid())
            std::cerr << "cannot read " << name << "\n";

        return image;
    }

    struct Pictures
    {
        explicit Pictures (const juce::File& folder)
            : background (load (folder, "background.png")),
              knob100 (load (folder, "knob_100px_129f.png")),
              knob167 (load (folder, "knob_167px_129f.png")),
              ratio (load (folder, "knob_100px_5f.png")),
              times (load (folder, "knob_167px_6f.png")),
              needle (load (folder, "needle_meter.png")),
              levelLeft (load (folder, "level_meter_left.png")),
              levelRight (load (folder, "level_meter_right.png")),
              power (load (folder, "power_button.png")),
              section (load (folder, "section_button.png")),
              type (load (folder, "type_button.png")),
              logo (load (folder, "logo.png"))
        {
        }

        juce::Image background, knob100, knob167, ratio, times, needle, levelLeft, levelRight,
                    power, section, type, logo;
    };

    void drawFrame (juce::Graphics& g, const juce::Image& strip, int frame, int frameHeight,
                    juce::Rectangle<int> destination)
    {
        if (strip.isValid())
            g.drawImage (strip, destination.getX(), destination.getY(), destination.getWidth(), destination.getHeight(),
                         0, frame * frameHeight, strip.getWidth(), frameHeight);
    }

    void drawTwoState (juce::Graphics& g, const juce::Image& picture, bool on, juce::Rectangle<int> destination)
    {
        if (picture.isValid())
            drawFrame (g, picture, on ? 1 : 0, picture.getHeight() / 2, destination);
    }

    void drawTopBar (juce::Graphics& g, const Pictures& pictures)
    {
        g.setColour (juce::Colours::black);
        g.fillRect (0, 0, PanelLayout::designWidth, PanelLayout::topBarHeight);

        if (pictures.logo.isValid())
        {
            g.setOpacity (0.7f);
            g.drawImage (pictures.logo, juce::Rectangle<float> (21.0f, 18.0f, 26.0f, 26.0f),
                         juce::RectanglePlacement::centred);
            g.setOpacity (1.0f);
        }

        g.setColour (juce::Colour (0xff2a2a2a));
        g.fillRoundedRectangle (331.0f, 16.0f, 260.0f, 30.0f, 6.0f);
        g.setColour (juce::Colour (0xb2ffffff));
        g.setFont (12.0f);
        g.drawText ("OVX", 909, 16, 34, 30, juce::Justification::centred);
        g.setColour (juce::Colours::black);
        g.fillRect (945, 16, 64, 30);
        g.setColour (juce::Colour (0x4cffffff));
        g.drawRect (945, 16, 64, 30);
    }

    void drawBottomStrip (juce::Graphics& g)
    {
        g.setColour (juce::Colour (0xccffffff));
        g.drawEllipse (12.0f, 809.0f, 22.0f, 22.0f, 1.5f);
        g.setFont (juce::Font (13.2f, juce::Font::bold));
        g.drawText ("i", 12, 809, 22, 22, juce::Justification::centred);

        g.setColour (juce::Colour (0xb2ffffff));
        g.setFont (16.0f);
        g.drawText ("SR: 48k | Oversampling: OFF", 42, 807, 900, 26, juce::Justification::centredLeft);

        g.setColour (juce::Colour (0x80ffffff));
        g.drawRoundedRectangle (960.5f, 805.5f, 119.0f, 27.0f, 4.0f, 1.0f);
        g.setColour (juce::Colours::white);
        g.setFont (juce::Font (15.4f, juce::Font::bold));
        g.drawText ("BYPASS", 960, 805, 120, 28, juce::Justification::centred);
    }

    juce::Image compose (const Pictures& pictures, const PanelState& state)
    {
        juce::Image editor (juce::Image::RGB, PanelLayout::designWidth, PanelLayout::designHeight, true);
        juce::Graphics g (editor);
        g.fillAll (juce::Colours::black);
        drawTopBar (g, pictures);
        g.setOpacity (1.0f);

        if (pictures.background.isValid())
            g.drawImageAt (pictures.background, 0, PanelLayout::topBarHeight);

        for (const auto& dial : PanelLayout::dials())
        {
            const auto& strip = dial.numFrames == 5 ? pictures.ratio
                              : dial.numFrames == 6 ? pictures.times
                              : dial.frameSize == 100 ? pictures.knob100 : pictures.knob167;
            const auto frame = dial.frameFor (state.knobValues.at (dial.control));
            drawFrame (g, strip, frame, dial.frameSize, dial.bounds());
        }

        drawTwoState (g, pictures.section, state.eq, PanelLayout::boundsOf ("eqButton"));
        drawTwoState (g, pictures.power, state.power, PanelLayout::boundsOf ("powerButton"));
        drawTwoState (g, pictures.section, state.comp, PanelLayout::boundsOf ("compButton"));

        for (auto type : { "typeAButton", "typeBButton", "typeCButton", "typeDButton" })
            drawTwoState (g, pictures.type, state.activeType == type, PanelLayout::boundsOf (type));

        drawFrame (g, pictures.needle, Scales::needleFrame (state.gainReductionDb), 126,
                   PanelLayout::boundsOf ("needleMeter"));

        const auto ring = PanelLayout::boundsOf ("outputMeter");
        drawFrame (g, pictures.levelLeft, state.leftLevelFrame, 110, ring.withWidth (55));
        drawFrame (g, pictures.levelRight, state.rightLevelFrame, 110, ring.withTrimmedLeft (55));

        drawBottomStrip (g);
        return editor;
    }

    juce::Image scaled (const juce::Image& image, float scale)
    {
        juce::Image result (juce::Image::RGB, juce::roundToInt ((float) image.getWidth() * scale),
                            juce::roundToInt ((float) image.getHeight() * scale), true);
        juce::Graphics g (result);
        g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
        g.drawImageTransformed (image, juce::AffineTransform::scale (scale));
        return result;
    }

    /** Some frames of a strip side by side, enlarged without smoothing, on panel grey. */
    juce::Image frameSheet (const juce::Image& strip, int frameHeight, const std::vector<int>& frames, int zoom)
    {
        const auto width = strip.getWidth();
        juce::Image sheet (juce::Image::RGB, (int) frames.size() * (width + 4) * zoom, frameHeight * zoom, true);
        juce::Graphics g (sheet);
        g.fillAll (juce::Colour (0xff26292d));
        g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);

        int x = 0;

        for (auto frame : frames)
        {
            g.drawImage (strip, x, 0, width * zoom, frameHeight * zoom, 0, frame * frameHeight, width, frameHeight);
            x += (width + 4) * zoom;
        }

        return sheet;
    }

    bool writePng (const juce::Image& image, const juce::File& file)
    {
        file.deleteFile();
        juce::FileOutputStream stream (file);
        return stream.openedOk() && juce::PNGImageFormat().writeImageToStream (image, stream);
    }
}

int main (int argc, char** argv)
{
    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const Pictures pictures (cwd.getChildFile (argc > 1 ? argv[1] : "resources"));
    const auto output = cwd.getChildFile (argc > 2 ? argv[2] : "build/art_preview");
    output.createDirectory();

    bool ok = true;

    for (const auto& state : states())
    {
        const auto editor = compose (pictures, state);
        ok = writePng (editor, output.getChildFile ("editor_" + state.name + "_1100.png")) && ok;
        ok = writePng (scaled (editor, 0.75f), output.getChildFile ("editor_" + state.name + "_825.png")) && ok;
        ok = writePng (scaled (editor, 0.5f), output.getChildFile ("editor_" + state.name + "_550.png")) && ok;
    }

    const std::vector<std::tuple<const char*, const juce::Image*, int, std::vector<int>>> sheets {
        { "knob_100px_129f", &pictures.knob100, 100, { 0, 1, 32, 64, 96, 128 } },
        { "knob_167px_129f", &pictures.knob167, 167, { 0, 64, 128 } },
        { "knob_100px_5f", &pictures.ratio, 100, { 0, 1, 2, 3, 4 } },
        { "knob_167px_6f", &pictures.times, 167, { 0, 1, 2, 3, 4, 5 } },
        { "needle_meter", &pictures.needle, 126, { 0, 64, 126, 128 } },
        { "level_meter_left", &pictures.levelLeft, 110, { 0, 1, 16, 32, 64, 100, 128 } },
        { "level_meter_right", &pictures.levelRight, 110, { 0, 1, 16, 32, 64, 100, 128 } },
        { "power_button", &pictures.power, 98, { 0, 1 } },
        { "section_button", &pictures.section, 52, { 0, 1 } },
        { "type_button", &pictures.type, 78, { 0, 1 } },
        { "logo", &pictures.logo, 86, { 0 } },
    };

    for (const auto& [name, strip, frameHeight, frames] : sheets)
        if (strip->isValid())
            ok = writePng (frameSheet (*strip, frameHeight, frames, 3), output.getChildFile (juce::String ("frames_") + name + ".png")) && ok;

    std::cout << "previews in " << output.getFullPathName() << "\n";
    return ok ? 0 : 1;
}
