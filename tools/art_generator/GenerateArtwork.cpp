// Writes every picture the editor shows: the knob and meter film strips, the switch pictures,
// the logo and the panel background. Everything is drawn here with JUCE's software renderer
// and the embedded display font, so the output is byte-for-byte the same on every run.
//
// Usage: vastrel_art_generator [output-folder]    (default: resources)

#include "BackgroundPainter.h"
#include "KnobPainter.h"
#include "LogoPainter.h"
#include "MeterPainter.h"
#include "SwitchPainter.h"

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <iostream>

namespace
{
    bool writePng (const juce::File& folder, const char* name, const juce::Image& image)
    {
        const auto file = folder.getChildFile (name);
        file.deleteFile();
        juce::FileOutputStream stream (file);

        if (stream.openedOk() && juce::PNGImageFormat().writeImageToStream (image, stream))
            return true;

        std::cerr << "cannot write " << file.getFullPathName() << "\n";
        return false;
    }
}

int main (int argc, char** argv)
{
    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (argc > 1 ? argv[1] : "resources");

    if (! folder.createDirectory())
    {
        std::cerr << "cannot create " << folder.getFullPathName() << "\n";
        return 1;
    }

    const BackgroundPainter background;
    const auto problems = background.layoutProblems();

    if (! problems.isEmpty())
    {
        std::cerr << "panel lettering does not fit:\n" << problems.joinIntoString ("\n") << "\n";
        return 1;
    }

    const std::vector<std::pair<const char*, std::function<juce::Image()>>> pictures {
        { "knob_100px_129f.png", [] { return KnobPainter (100).renderStrip (129); } },
        { "knob_167px_129f.png", [] { return KnobPainter (167).renderStrip (129); } },
        { "knob_100px_5f.png", [] { return KnobPainter (100).renderStrip (5); } },
        { "knob_167px_6f.png", [] { return KnobPainter (167).renderStrip (6); } },
        { "needle_meter.png", [] { return MeterPainter::renderNeedleStrip(); } },
        { "level_meter_left.png", [] { return MeterPainter::renderLevelStrip (true); } },
        { "level_meter_right.png", [] { return MeterPainter::renderLevelStrip (false); } },
        { "power_button.png", [] { return SwitchPainter::renderPowerButton(); } },
        { "section_button.png", [] { return SwitchPainter::renderSectionButton(); } },
        { "type_button.png", [] { return SwitchPainter::renderTypeButton(); } },
        { "logo.png", [] { return LogoPainter::renderLogo(); } },
        { "background.png", [&background] { return background.render(); } },
    };

    bool ok = true;

    for (const auto& [name, render] : pictures)
        ok = writePng (folder, name, render()) && ok;

    return ok ? 0 : 1;
}
