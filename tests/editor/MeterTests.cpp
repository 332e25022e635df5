#include "support/EditorTestSupport.h"
#include "editor/FilmStripComponent.h"
#include "editor/MeterComponent.h"
#include "editor/TopBarMeter.h"

#include <BinaryData.h>

#include <cmath>

using namespace EditorTestSupport;

namespace
{
    /** The meter scale's position of a linear amplitude: -48 dB to 0 dB onto 0 to 1. */
    double expectedPosition (double amplitude)
    {
        if (amplitude <= 0.00001)
            return 0.0;

        return juce::jlimit (0.0, 1.0, (20.0 * std::log10 (amplitude) + 48.0) / 48.0);
    }

    struct StripCase
    {
        float value;
        int expectedFrame;
    };

    void PrintTo (const StripCase& c, std::ostream* os)   { *os << c.value; }

    class FilmStripFrameTest : public ::testing::TestWithParam<StripCase> {};
}

TEST_P (FilmStripFrameTest, ValueShowsItsFrame)
{
    std::atomic<float> value { GetParam().value };
    FilmStripComponent needle (&value);
    needle.setFilmstrip (makeStrip (4, 4, 129), 129);
    needle.setSize (4, 4);

    EXPECT_EQ ((int) snapshot (needle).getPixelAt (2, 2).getRed(), GetParam().expectedFrame) << GetParam().value;
}

// The product rounds half to even: 0.5 x 129 = 64.5 shows 64.
INSTANTIATE_TEST_SUITE_P (Meters, FilmStripFrameTest, ::testing::Values (
    StripCase { -0.5f, 0 },
    StripCase { 0.0f, 0 },
    StripCase { 0.003f, 0 },
    StripCase { 0.004f, 1 },
    StripCase { 0.5f, 64 },
    StripCase { 0.99f, 128 },
    StripCase { 1.0f, 128 },
    StripCase { 3.0f, 128 }),
    [] (const auto& testInfo) { return "Case" + std::to_string (testInfo.index); });

TEST (FilmStripComponent, NoTimerAndNothingDrawnBeforeItHasAStrip)
{
    std::atomic<float> value { 0.5f };
    FilmStripComponent needle (&value);
    needle.setSize (250, 126);

    EXPECT_FALSE (needle.isTimerRunning());
    EXPECT_TRUE (isTransparent (snapshot (needle)));

    needle.setFilmstrip (makeStrip (250, 126, 129), 129);

    EXPECT_TRUE (needle.isTimerRunning());
    EXPECT_EQ (needle.getTimerInterval(), 33);

    needle.setFilmstrip ({}, 129);
    EXPECT_TRUE (isTransparent (snapshot (needle)));
}

TEST (FilmStripComponent, FrameIsScaledToTheBounds)
{
    std::atomic<float> value { 1.0f };
    FilmStripComponent needle (&value);
    needle.setFilmstrip (makeStrip (10, 5, 129), 129);
    needle.setSize (40, 40);

    const auto image = snapshot (needle);

    expectColourNear (image.getPixelAt (1, 1), frameColour (128), 0);
    expectColourNear (image.getPixelAt (20, 20), frameColour (128), 0);
    expectColourNear (image.getPixelAt (38, 38), frameColour (128), 0);
}

TEST (FilmStripComponent, CompiledInNeedleAtDesignSize)
{
    std::atomic<float> value { 0.0f };
    FilmStripComponent needle (&value);
    needle.setFilmstrip (juce::ImageCache::getFromMemory (BinaryData::needle_meter_png, BinaryData::needle_meter_pngSize), 129);
    needle.setSize (250, 126);

    savePicture (snapshot (needle), "needle-meter-0");
    value = 0.979f;
    savePicture (snapshot (needle), "needle-meter-0979");
}

TEST (MeterComponent, HalvesFollowTheirOwnChannel)
{
    QuorlinAudioProcessor::Level left, right;
    MeterComponent meter (left, right);

    for (const auto size : { 110, 220 })
    {
        meter.setSize (size, size);
        ASSERT_EQ (meter.getNumChildComponents(), 2);
        EXPECT_EQ (meter.getChildComponent (0)->getBounds(), juce::Rectangle<int> (0, 0, 55, 110));
        EXPECT_EQ (meter.getChildComponent (1)->getBounds(), juce::Rectangle<int> (55, 0, 55, 110));
    }

    meter.setSize (110, 110);

    for (int i = 0; i < 2; ++i)
    {
        auto* half = dynamic_cast<FilmStripComponent*> (meter.getChildComponent (i));
        ASSERT_NE (half, nullptr);
        EXPECT_TRUE (half->isVisible());
        EXPECT_EQ (half->getTimerInterval(), 33);
    }

    const auto silent = snapshot (meter);
    left.level = 1.0f;
    const auto leftFull = snapshot (meter);
    right.level = 0.5f;
    const auto bothUp = snapshot (meter);

    savePicture (silent, "level-meter-silent");
    savePicture (bothUp, "level-meter-left-full-right-half");

    const auto halfDiffers = [] (const juce::Image& a, const juce::Image& b, int x0)
    {
        for (int y = 0; y < 110; ++y)
            for (int x = x0; x < x0 + 55; ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return true;

        return false;
    };

    EXPECT_TRUE (halfDiffers (silent, leftFull, 0));
    EXPECT_FALSE (halfDiffers (silent, leftFull, 55));
    EXPECT_TRUE (halfDiffers (leftFull, bothUp, 55));
    EXPECT_FALSE (halfDiffers (leftFull, bothUp, 0));
}

class TopBarMeterTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { processor = new QuorlinAudioProcessor(); }
    static void TearDownTestSuite() { delete processor; processor = nullptr; }

    void SetUp() override
    {
        meter = std::make_unique<TopBarMeter> (*processor);
        meter->setSize (80, 30);
        EXPECT_EQ (meter->getTimerInterval(), 33);

        // Ticks are driven by hand below.
        meter->stopTimer();
        setOutput (0.0f, 0.0f, 0.0f, 0.0f);
    }

    void TearDown() override
    {
        meter.reset();
        setOutput (0.0f, 0.0f, 0.0f, 0.0f);
    }

    static void setOutput (float levelLeft, float levelRight, float peakLeft, float peakRight)
    {
        processor->outputLevelLeft.level = levelLeft;
        processor->outputLevelRight.level = levelRight;
        processor->outputLevelLeft.peak = peakLeft;
        processor->outputLevelRight.peak = peakRight;
    }

    void tick (int times = 1)
    {
        for (int i = 0; i < times; ++i)
            meter->timerCallback();
    }

    static QuorlinAudioProcessor* processor;
    std::unique_ptr<TopBarMeter> meter;
};

QuorlinAudioProcessor* TopBarMeterTest::processor = nullptr;

TEST_F (TopBarMeterTest, LevelsMapOntoTheDecibelScale)
{
    const float levels[] = { 1.0f, 2.0f, 0.5f, 0.1f, 0.00398f, 0.00002f, 0.00001f, 0.0f };

    for (const auto level : levels)
    {
        meter->levelLeft = meter->levelRight = 0.0f;
        setOutput (level, level * 0.5f, 0.0f, 0.0f);
        tick();

        EXPECT_NEAR (meter->levelLeft, expectedPosition (level), 1.0e-5) << level;
        EXPECT_NEAR (meter->levelRight, expectedPosition (level * 0.5), 1.0e-5) << level;
    }

    // Half amplitude, about -6.02 dB: 68.2 of the 78 units.
    meter->levelLeft = 0.0f;
    setOutput (0.5f, 0.0f, 0.0f, 0.0f);
    tick();
    EXPECT_NEAR (meter->levelLeft * 78.0f, 68.2f, 0.05f);
}

TEST_F (TopBarMeterTest, BarsJumpUpAndFallByTheDecayFactor)
{
    setOutput (1.0f, 1.0f, 0.0f, 0.0f);
    tick();
    EXPECT_EQ (meter->levelLeft, 1.0f);

    // A position just below the bar still lets it fall by the whole factor.
    setOutput (juce::Decibels::decibelsToGain (-2.0f), 0.0f, 0.0f, 0.0f);
    tick();
    EXPECT_NEAR (meter->levelLeft, 0.88f, 1.0e-6);
    EXPECT_NEAR (meter->levelRight, 0.88f, 1.0e-6);

    setOutput (0.0f, 0.0f, 0.0f, 0.0f);
    tick (9);
    EXPECT_NEAR (meter->levelLeft, std::pow (0.88, 10.0), 1.0e-5);
    EXPECT_NEAR (meter->levelLeft, 0.28f, 0.005f);
}

TEST_F (TopBarMeterTest, PeaksHoldForTwentyTicksThenFall)
{
    setOutput (0.0f, 0.0f, 0.5f, 0.0f);
    tick();
    const auto held = (float) expectedPosition (0.5);
    EXPECT_NEAR (meter->peakLeft, held, 1.0e-5);
    EXPECT_EQ (meter->peakHoldLeft, 20);

    setOutput (0.0f, 0.0f, 0.0f, 0.0f);
    tick (20);
    EXPECT_NEAR (meter->peakLeft, held, 1.0e-5);
    EXPECT_EQ (meter->peakHoldLeft, 0);

    tick();
    EXPECT_NEAR (meter->peakLeft, held * 0.97, 1.0e-5);
    tick();
    EXPECT_NEAR (meter->peakLeft, held * 0.97 * 0.97, 1.0e-5);

    // A higher peak during a hold takes over and restarts the hold.
    setOutput (0.0f, 0.0f, 0.5f, 0.0f);
    tick();
    EXPECT_EQ (meter->peakHoldLeft, 20);
    setOutput (0.0f, 0.0f, 0.0f, 0.0f);
    tick (10);
    EXPECT_EQ (meter->peakHoldLeft, 10);
    setOutput (0.0f, 0.0f, 1.0f, 0.0f);
    tick();
    EXPECT_EQ (meter->peakLeft, 1.0f);
    EXPECT_EQ (meter->peakHoldLeft, 20);

    EXPECT_EQ (meter->peakRight, 0.0f);
    EXPECT_EQ (meter->peakHoldRight, 0);
}

TEST_F (TopBarMeterTest, PaintGeometryAtDesignSize)
{
    const juce::Colour track (0xFF111111);
    const auto barOnTrack = track.overlaidWith (juce::Colour (0xD9FFFFFF));

    meter->levelLeft = 1.0f;
    meter->levelRight = 0.5f;
    meter->peakRight = 0.75f;

    const auto image = snapshot (*meter);
    savePicture (image, "top-bar-meter");

    // Tracks: rows 7 to 13 and 16 to 22, full width; clear between and around them.
    for (const auto y : { 0, 6, 14, 15, 23, 29 })
        EXPECT_EQ (image.getPixelAt (40, y).getAlpha(), 0) << y;

    for (const auto y : { 7, 13, 16, 22 })
        expectColourNear (image.getPixelAt (40, y), track);

    expectColourNear (image.getPixelAt (0, 10), track);

    // Bars: rows 8 to 12 and 17 to 21, from x = 1 over level x 78 units.
    for (const auto y : { 8, 12 })
        expectColourNear (image.getPixelAt (40, y), barOnTrack, 3);

    expectColourNear (image.getPixelAt (3, 10), barOnTrack, 3);
    expectColourNear (image.getPixelAt (76, 10), barOnTrack, 3);
    expectColourNear (image.getPixelAt (79, 10), track);

    expectColourNear (image.getPixelAt (37, 19), barOnTrack, 3);
    expectColourNear (image.getPixelAt (42, 19), track);

    // The right marker at 0.75 x 78 = 58.5: a white rectangle from 58 to 60.
    expectColourNear (image.getPixelAt (58, 17), juce::Colours::white);
    expectColourNear (image.getPixelAt (59, 21), juce::Colours::white);
    expectColourNear (image.getPixelAt (61, 19), track);
}

TEST_F (TopBarMeterTest, PeakMarkerOnlyBeyondTwoUnits)
{
    const juce::Colour track (0xFF111111);

    meter->peakLeft = 0.025f;
    meter->peakRight = 3.0f / 78.0f;

    const auto image = snapshot (*meter);

    // 0.025 x 78 = 1.95 units: no marker.
    for (int x = 0; x < 80; ++x)
        expectColourNear (image.getPixelAt (x, 10), track);

    // 3 units: from 2.5 to 4.5.
    expectColourNear (image.getPixelAt (3, 19), juce::Colours::white);
}
