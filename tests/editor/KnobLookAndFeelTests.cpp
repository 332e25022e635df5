#include "support/EditorTestSupport.h"
#include "editor/KnobLookAndFeels.h"

#include <memory>

using namespace EditorTestSupport;

namespace
{
    enum class Look { small, output, large, ratio, timing };

    std::unique_ptr<FilmStripKnobLookAndFeel> makeLook (Look look)
    {
        switch (look)
        {
            case Look::small:  return std::make_unique<CustomLookAndFeel>();
            case Look::output: return std::make_unique<CustomLookAndFeel2>();
            case Look::large:  return std::make_unique<CustomLookAndFeel2b>();
            case Look::ratio:  return std::make_unique<CustomLookAndFeel3>();
            case Look::timing: return std::make_unique<CustomLookAndFeel4>();
        }

        return {};
    }

    const char* lookName (Look look)
    {
        switch (look)
        {
            case Look::small:  return "CustomLookAndFeel";
            case Look::output: return "CustomLookAndFeel2";
            case Look::large:  return "CustomLookAndFeel2b";
            case Look::ratio:  return "CustomLookAndFeel3";
            case Look::timing: return "CustomLookAndFeel4";
        }

        return "";
    }

    struct Knob
    {
        Knob (Look look, double minimum, double maximum, double interval, int size)
            : lookAndFeel (makeLook (look))
        {
            slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
            slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
            slider.setLookAndFeel (lookAndFeel.get());
            slider.setRange (minimum, maximum, interval);
            slider.setBounds (0, 0, size, size);
        }

        ~Knob() { slider.setLookAndFeel (nullptr); }

        std::unique_ptr<FilmStripKnobLookAndFeel> lookAndFeel;
        juce::Slider slider;
    };

    struct FrameCase
    {
        Look look;
        double minimum, maximum, interval;
        double value;
        int expectedFrame;
    };

    void PrintTo (const FrameCase& c, std::ostream* os)   { *os << lookName (c.look) << " at " << c.value; }

    class KnobFrameTest : public ::testing::TestWithParam<FrameCase> {};
}

// Each frame of a synthetic strip has its own colour, so the painted pixel tells the frame.
TEST_P (KnobFrameTest, ValueShowsItsFrame)
{
    const auto& c = GetParam();
    Knob knob (c.look, c.minimum, c.maximum, c.interval, 1);
    const auto size = knob.lookAndFeel->frameSize;
    knob.slider.setSize (size, size);
    knob.lookAndFeel->filmStrip = makeStrip (size, size, knob.lookAndFeel->numSteps + 1);
    knob.slider.setValue (c.value, juce::dontSendNotification);

    const auto image = snapshot (knob.slider);

    EXPECT_EQ ((int) image.getPixelAt (size / 2, size / 2).getRed(), c.expectedFrame)
        << lookName (c.look) << " at " << c.value;
}

INSTANTIATE_TEST_SUITE_P (Knobs, KnobFrameTest, ::testing::Values (
    // Input drive: rounding up, so the first step above the minimum already shows frame 1.
    FrameCase { Look::small, 0.0, 24.0, 0.1, 0.0, 0 },
    FrameCase { Look::small, 0.0, 24.0, 0.1, 0.1, 1 },
    FrameCase { Look::small, 0.0, 24.0, 0.1, 12.0, 64 },
    FrameCase { Look::small, 0.0, 24.0, 0.1, 24.0, 128 },
    // Ratio and the two times: one frame per step, none a frame too far.
    FrameCase { Look::ratio, 1.0, 5.0, 1.0, 1.0, 0 },
    FrameCase { Look::ratio, 1.0, 5.0, 1.0, 2.0, 1 },
    FrameCase { Look::ratio, 1.0, 5.0, 1.0, 3.0, 2 },
    FrameCase { Look::ratio, 1.0, 5.0, 1.0, 4.0, 3 },
    FrameCase { Look::ratio, 1.0, 5.0, 1.0, 5.0, 4 },
    FrameCase { Look::timing, 1.0, 6.0, 1.0, 1.0, 0 },
    FrameCase { Look::timing, 1.0, 6.0, 1.0, 2.0, 1 },
    FrameCase { Look::timing, 1.0, 6.0, 1.0, 3.0, 2 },
    FrameCase { Look::timing, 1.0, 6.0, 1.0, 4.0, 3 },
    FrameCase { Look::timing, 1.0, 6.0, 1.0, 5.0, 4 },
    FrameCase { Look::timing, 1.0, 6.0, 1.0, 6.0, 5 },
    // Output: bent so that -9.7 dB is the middle; the single-precision exponent puts -9.7
    // just past 64 (64.000001), so it shows 65.
    FrameCase { Look::output, -81.0, 10.0, 0.1, -81.0, 0 },
    FrameCase { Look::output, -81.0, 10.0, 0.1, -10.0, 64 },
    FrameCase { Look::output, -81.0, 10.0, 0.1, -9.7, 65 },
    FrameCase { Look::output, -81.0, 10.0, 0.1, 0.0, 92 },
    FrameCase { Look::output, -81.0, 10.0, 0.1, 10.0, 128 },
    // Large knobs: the EQ bands and the compressor gain, linear.
    FrameCase { Look::large, -10.0, 10.0, 0.001, -10.0, 0 },
    FrameCase { Look::large, -10.0, 10.0, 0.001, 0.0, 64 },
    FrameCase { Look::large, -10.0, 10.0, 0.001, 0.001, 65 },
    FrameCase { Look::large, 0.0, 25.0, 0.0001, 25.0, 128 }),
    [] (const auto& testInfo) { return std::string (lookName (testInfo.param.look)) + "_" + std::to_string (testInfo.index); });

TEST (KnobLook, LargerKnobStillGetsOneFrameAtItsCorner)
{
    Knob knob (Look::small, 0.0, 24.0, 0.1, 150);
    knob.lookAndFeel->filmStrip = makeStrip (100, 100, 129);
    knob.slider.setValue (24.0, juce::dontSendNotification);

    const auto image = snapshot (knob.slider);

    expectColourNear (image.getPixelAt (0, 0), frameColour (128), 0);
    expectColourNear (image.getPixelAt (99, 99), frameColour (128), 0);
    EXPECT_EQ (image.getPixelAt (100, 50).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (50, 100).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (149, 149).getAlpha(), 0);
}

TEST (KnobLook, StripThatFailedToLoadDrawsNothing)
{
    Knob knob (Look::large, -10.0, 10.0, 0.001, 167);
    knob.lookAndFeel->filmStrip = {};
    knob.slider.setValue (3.0, juce::dontSendNotification);

    EXPECT_TRUE (isTransparent (snapshot (knob.slider)));
}

// With the compiled-in strips: a knob at its design size is its strip's frame, pixel for pixel.
TEST (KnobLook, KnobAtDesignSizeIsItsFramePixelForPixel)
{
    struct Case { Look look; double minimum, maximum, interval, value; int frame; };

    const Case cases[] = {
        { Look::small, 0.0, 24.0, 0.1, 0.1, 1 },
        { Look::output, -81.0, 10.0, 0.1, -10.0, 64 },
        { Look::large, -10.0, 10.0, 0.001, 10.0, 128 },
        { Look::ratio, 1.0, 5.0, 1.0, 3.0, 2 },
        { Look::timing, 1.0, 6.0, 1.0, 6.0, 5 },
    };

    for (const auto& c : cases)
    {
        Knob knob (c.look, c.minimum, c.maximum, c.interval, 1);
        const auto size = knob.lookAndFeel->frameSize;
        knob.slider.setSize (size, size);
        knob.slider.setValue (c.value, juce::dontSendNotification);

        const auto& strip = knob.lookAndFeel->filmStrip;
        ASSERT_TRUE (strip.isValid()) << lookName (c.look);

        const auto image = snapshot (knob.slider);
        savePicture (image, juce::String ("knob-") + lookName (c.look));

        int differing = 0;

        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (image.getPixelAt (x, y) != strip.getPixelAt (x, c.frame * size + y))
                    ++differing;

        EXPECT_EQ (differing, 0) << lookName (c.look);
    }
}

TEST (KnobLook, SmallAndOutputKnobsShareOneDecodedStrip)
{
    CustomLookAndFeel small;
    CustomLookAndFeel2 output;

    EXPECT_EQ (small.filmStrip, output.filmStrip);
}
