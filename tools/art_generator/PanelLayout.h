#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

/** Where the editor places its controls, in design units (1100 x 852, the top bar being the
    first 62 rows), and what each knob's scale shows. The background is drawn around these
    rectangles and the preview places the pictures in them.
*/
namespace PanelLayout
{
    constexpr int designWidth = 1100;
    constexpr int designHeight = 852;
    constexpr int topBarHeight = 62;
    constexpr int bottomStripTop = 798;

    /** A control drawn over the background, by its editor member name. */
    struct Control
    {
        juce::String name;
        juce::Rectangle<int> bounds;
    };

    /** Every control below the top bar. */
    const std::vector<Control>& controls();

    /** The rectangle of a named control; asserts for an unknown name. */
    juce::Rectangle<int> boundsOf (const juce::String& controlName);

    //==============================================================================
    /** One value on a knob's scale: a long tick, with text when the text is not empty, and
        an accented note after the text for a step that does more than its number says.
    */
    struct ScaleMark
    {
        double value;
        juce::String text;
        juce::String note = {};
    };

    enum class FrameRule
    {
        linear,
        outputBend
    };

    struct Dial
    {
        juce::String control;   // the knob's control name in controls()
        juce::String caption;   // the panel label under it
        int frameSize;
        int numFrames;
        double minimum, maximum;
        FrameRule rule;
        std::vector<ScaleMark> marks;
        std::vector<double> minorTicks;

        juce::Rectangle<int> bounds() const { return boundsOf (control); }
        juce::Point<float> centre() const { return bounds().toFloat().getCentre(); }
        int frameFor (double value) const;
        float angleFor (double value) const;
    };

    const std::vector<Dial>& dials();

    /** Radii, in pixels from a knob's centre, of its disc and of the tick ring around it. */
    struct KnobGeometry
    {
        float disc, tickInner, tickOuter, minorTickOuter;
    };

    KnobGeometry knobGeometry (int frameSize);

    //==============================================================================
    /** The gain reductions (dB) printed on the needle meter, and those ticked without text. */
    const std::vector<double>& needleLabels();
    const std::vector<double>& needleMinorTicks();
}
