#include "PanelLayout.h"

#include "Scales.h"

namespace PanelLayout
{
    const std::vector<Control>& controls()
    {
        static const std::vector<Control> all {
            { "knob1", { 373, 634, 100, 100 } },
            { "knob2", { 33, 440, 167, 167 } },
            { "knob4", { 790, 620, 100, 100 } },
            { "knob3", { 712, 427, 167, 167 } },
            { "knob5", { 828, 269, 167, 167 } },
            { "knob6", { 901, 440, 167, 167 } },
            { "knob7", { 500, 647, 100, 100 } },
            { "knob8", { 626, 634, 100, 100 } },
            { "knob9", { 211, 620, 100, 100 } },
            { "knob10", { 108, 269, 167, 167 } },
            { "knob11", { 223, 427, 167, 167 } },
            { "eqButton", { 729, 328, 49, 52 } },
            { "powerButton", { 68, 614, 96, 98 } },
            { "compButton", { 323, 328, 49, 52 } },
            { "typeAButton", { 387, 572, 100, 78 } },
            { "typeBButton", { 462, 582, 100, 78 } },
            { "typeCButton", { 539, 582, 100, 78 } },
            { "typeDButton", { 613, 572, 100, 78 } },
            { "needleMeter", { 425, 297, 250, 126 } },
            { "outputMeter", { 495, 417, 110, 110 } },
            { "tooltipButton", { 10, 807, 26, 26 } },
            { "infoLabel", { 42, 807, 900, 26 } },
            { "bypassButton", { 960, 805, 120, 28 } },
        };

        return all;
    }

    juce::Rectangle<int> boundsOf (const juce::String& controlName)
    {
        for (const auto& control : controls())
            if (control.name == controlName)
                return control.bounds;

        jassertfalse;
        return {};
    }

    KnobGeometry knobGeometry (int frameSize)
    {
        // The large knobs stand closer together for their size, so their rings are tighter.
        if (frameSize > 120)
            return { 45.0f, 49.0f, 56.0f, 53.0f };

        return { 30.0f, 33.0f, 37.0f, 35.0f };
    }

    int Dial::frameFor (double value) const
    {
        return rule == FrameRule::outputBend ? Scales::outputKnobFrame (value, minimum, maximum, numFrames)
                                             : Scales::linearKnobFrame (value, minimum, maximum, numFrames);
    }

    float Dial::angleFor (double value) const
    {
        return Scales::knobAngle (frameFor (value), numFrames);
    }

    const std::vector<Dial>& dials()
    {
        static const std::vector<Dial> all {
            { "knob1", "DRIVE", 100, 129, 0.0, 24.0, FrameRule::linear,
              { { 0, "0" }, { 6, "" }, { 12, "" }, { 18, "" }, { 24, "24" } },
              { 3, 9, 15, 21 } },
            { "knob2", "GAIN", 167, 129, 0.0, 25.0, FrameRule::linear,
              { { 0, "0" }, { 5, "5" }, { 10, "10" }, { 15, "15" }, { 20, "20" }, { 25, "25" } },
              { 2.5, 7.5, 12.5, 17.5, 22.5 } },
            { "knob4", "LOW CUT", 100, 129, 20.0, 60.0, FrameRule::linear,
              { { 20, "20" }, { 30, "30" }, { 40, "40" }, { 50, "50" }, { 60, "60" } },
              { 25, 35, 45, 55 } },
            { "knob3", "LOW", 167, 129, -10.0, 10.0, FrameRule::linear,
              { { -10, "-10" }, { -5, "-5" }, { 0, "0" }, { 5, "+5" }, { 10, "+10" } },
              { -7.5, -2.5, 2.5, 7.5 } },
            { "knob5", "MID", 167, 129, -10.0, 10.0, FrameRule::linear,
              { { -10, "-10" }, { -5, "-5" }, { 0, "0" }, { 5, "+5" }, { 10, "+10" } },
              { -7.5, -2.5, 2.5, 7.5 } },
            { "knob6", "HIGH", 167, 129, -10.0, 10.0, FrameRule::linear,
              { { -10, "-10" }, { -5, "-5" }, { 0, "0" }, { 5, "+5" }, { 10, "+10" } },
              { -7.5, -2.5, 2.5, 7.5 } },
            { "knob7", "MIX", 100, 129, 0.0, 100.0, FrameRule::linear,
              { { 0, "DRY" }, { 25, "" }, { 50, "" }, { 75, "" }, { 100, "WET" } },
              { 12.5, 37.5, 62.5, 87.5 } },
            { "knob8", "OUTPUT", 100, 129, -81.0, 10.0, FrameRule::outputBend,
              { { -81, "-81" }, { -40, "" }, { -20, "" }, { -10, "" }, { 0, "0" }, { 10, "+10" } },
              { -60, -30, -15, -5, 5 } },
            { "knob9", "RATIO", 100, 5, 1.0, 5.0, FrameRule::linear,
              { { 1, "2" }, { 2, "4" }, { 3, "8" }, { 4, "20" }, { 5, "16", "SAT" } },
              {} },
            { "knob10", "ATTACK", 167, 6, 1.0, 6.0, FrameRule::linear,
              { { 1, "0.95" }, { 2, "0.8" }, { 3, "0.67" }, { 4, "0.41" }, { 5, "0.15" }, { 6, "INST" } },
              {} },
            { "knob11", "RELEASE", 167, 6, 1.0, 6.0, FrameRule::linear,
              { { 1, "925" }, { 2, "750" }, { 3, "575" }, { 4, "400" }, { 5, "225" }, { 6, "50" } },
              {} },
        };

        return all;
    }

    const std::vector<double>& needleLabels()
    {
        static const std::vector<double> reductions { 0, 1, 2, 3, 5, 7, 10, 20 };
        return reductions;
    }

    const std::vector<double>& needleMinorTicks()
    {
        static const std::vector<double> reductions { 0.5, 1.5, 2.5, 4, 6, 8, 15, 30 };
        return reductions;
    }
}
