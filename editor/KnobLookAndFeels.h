#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

/** Paints a rotary slider as one square frame of a vertical film strip.

    The frame follows the value linearly between the slider's range ends and is rounded up, so
    only the exact minimum shows frame 0. The frame is always drawn at its own size at the
    slider's top left corner: the editor scales the whole knob.
*/
class FilmStripKnobLookAndFeel : public juce::LookAndFeel_V4
{
public:
    ~FilmStripKnobLookAndFeel() override;

    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                           juce::Slider&) override;

    /** The frame shown for a value of the range from minimum to maximum: 0 to numSteps. */
    int getFrameIndex (double value, double minimum, double maximum) const;

    juce::Image filmStrip;

    /** Side of one square frame, in pixels. */
    const int frameSize;

    /** Frames in the strip minus one: the factor that maps the proportion to a frame. */
    const int numSteps;

protected:
    /** middleValue, when given, bends the mapping so that this value shows the strip's middle. */
    FilmStripKnobLookAndFeel (const void* stripData, int stripDataSize, int frameSize, int numSteps,
                              std::optional<double> middleValue = std::nullopt);

private:
    const std::optional<double> middleValue;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilmStripKnobLookAndFeel)
};

/** Small knobs: input drive, low cut and mix. */
class CustomLookAndFeel : public FilmStripKnobLookAndFeel
{
public:
    CustomLookAndFeel();
};

/** The output knob: the small strip, bent so that -9.7 dB sits at its middle. */
class CustomLookAndFeel2 : public FilmStripKnobLookAndFeel
{
public:
    CustomLookAndFeel2();
};

/** Large knobs: compressor gain and the three EQ bands. */
class CustomLookAndFeel2b : public FilmStripKnobLookAndFeel
{
public:
    CustomLookAndFeel2b();
};

/** The five-step ratio knob. */
class CustomLookAndFeel3 : public FilmStripKnobLookAndFeel
{
public:
    CustomLookAndFeel3();
};

/** The six-step attack and release knobs. */
class CustomLookAndFeel4 : public FilmStripKnobLookAndFeel
{
public:
    CustomLookAndFeel4();
};
