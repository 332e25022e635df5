// The embedded pictures and font, as the editor will draw them: sizes and frame layouts, the
// knob pointer's sweep, the meters' frame order and the two states of every switch.

#include <BinaryData.h>

#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

namespace
{
    juce::Image decode (const void* data, int size)
    {
        return juce::ImageFileFormat::loadFrom (data, (size_t) size);
    }

    juce::Image frameOf (const juce::Image& strip, int frame, int frameHeight)
    {
        return strip.getClippedImage ({ 0, frame * frameHeight, strip.getWidth(), frameHeight });
    }

    template <typename Predicate>
    int countPixels (const juce::Image& image, Predicate&& predicate)
    {
        int count = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (predicate (image.getPixelAt (x, y), x, y))
                    ++count;

        return count;
    }

    bool isTealLamp (juce::Colour c)
    {
        return c.getAlpha() > 200 && c.getGreen() > 170 && c.getBlue() > 170 && c.getRed() + 30 < c.getGreen();
    }

    //==============================================================================
    struct PictureSize
    {
        const char* name;
        const char* data;
        int dataSize;
        int width, height;
        bool hasAlpha;
    };

    void PrintTo (const PictureSize& picture, std::ostream* os)   { *os << picture.name; }

    class PictureSizes : public ::testing::TestWithParam<PictureSize> {};

    TEST_P (PictureSizes, DecodesAtItsExactSize)
    {
        const auto& expected = GetParam();
        const auto image = decode (expected.data, expected.dataSize);

        ASSERT_TRUE (image.isValid()) << expected.name;
        EXPECT_EQ (image.getWidth(), expected.width) << expected.name;
        EXPECT_EQ (image.getHeight(), expected.height) << expected.name;
        EXPECT_EQ (image.hasAlphaChannel(), expected.hasAlpha) << expected.name;
    }

    INSTANTIATE_TEST_SUITE_P (EmbeddedPictures, PictureSizes, ::testing::Values (
        PictureSize { "knob_100px_129f", BinaryData::knob_100px_129f_png, BinaryData::knob_100px_129f_pngSize, 100, 12900, true },
        PictureSize { "knob_167px_129f", BinaryData::knob_167px_129f_png, BinaryData::knob_167px_129f_pngSize, 167, 21543, true },
        PictureSize { "knob_100px_5f", BinaryData::knob_100px_5f_png, BinaryData::knob_100px_5f_pngSize, 100, 500, true },
        PictureSize { "knob_167px_6f", BinaryData::knob_167px_6f_png, BinaryData::knob_167px_6f_pngSize, 167, 1002, true },
        PictureSize { "needle_meter", BinaryData::needle_meter_png, BinaryData::needle_meter_pngSize, 250, 16254, true },
        PictureSize { "level_meter_left", BinaryData::level_meter_left_png, BinaryData::level_meter_left_pngSize, 55, 14190, true },
        PictureSize { "level_meter_right", BinaryData::level_meter_right_png, BinaryData::level_meter_right_pngSize, 55, 14190, true },
        PictureSize { "power_button", BinaryData::power_button_png, BinaryData::power_button_pngSize, 96, 196, true },
        PictureSize { "section_button", BinaryData::section_button_png, BinaryData::section_button_pngSize, 49, 104, true },
        PictureSize { "type_button", BinaryData::type_button_png, BinaryData::type_button_pngSize, 100, 156, true },
        PictureSize { "logo", BinaryData::logo_png, BinaryData::logo_pngSize, 92, 86, true },
        PictureSize { "background", BinaryData::background_png, BinaryData::background_pngSize, 1100, 790, false }),
        [] (const auto& testInfo) { return std::string (testInfo.param.name); });

    //==============================================================================
    struct KnobStrip
    {
        const char* name;
        const char* data;
        int dataSize;
        int frameSize, numFrames;
    };

    void PrintTo (const KnobStrip& strip, std::ostream* os)   { *os << strip.name; }

    class KnobStrips : public ::testing::TestWithParam<KnobStrip> {};

    /** Direction of the light pointer line, in degrees from straight up, clockwise. */
    double pointerAngle (const juce::Image& frame)
    {
        const auto centre = (frame.getWidth() - 1) * 0.5;
        double sumX = 0.0, sumY = 0.0;

        countPixels (frame, [&] (juce::Colour c, int x, int y)
        {
            if (c.getAlpha() < 250 || c.getRed() < 200 || c.getGreen() < 200)
                return false;

            sumX += x - centre;
            sumY += y - centre;
            return true;
        });

        return juce::radiansToDegrees (std::atan2 (sumX, -sumY));
    }

    TEST_P (KnobStrips, CornersStayTransparentAroundTheDisc)
    {
        const auto& strip = GetParam();
        const auto image = decode (strip.data, strip.dataSize);
        ASSERT_TRUE (image.isValid());

        const auto radius = strip.frameSize * 0.5;

        for (int f = 0; f < strip.numFrames; ++f)
        {
            const auto frame = frameOf (image, f, strip.frameSize);
            const auto outside = countPixels (frame, [radius] (juce::Colour c, int x, int y)
            {
                return c.getAlpha() != 0 && std::hypot (x + 0.5 - radius, y + 0.5 - radius) > radius;
            });

            EXPECT_EQ (outside, 0) << strip.name << " frame " << f;
            EXPECT_EQ (frame.getPixelAt (strip.frameSize / 2, strip.frameSize / 2).getAlpha(), 255) << strip.name;
        }
    }

    TEST_P (KnobStrips, PointerSweepsFromMinus135To135DegreesLinearly)
    {
        const auto& strip = GetParam();
        const auto image = decode (strip.data, strip.dataSize);
        ASSERT_TRUE (image.isValid());

        for (int f = 0; f < strip.numFrames; ++f)
        {
            const auto expected = -135.0 + 270.0 * f / (strip.numFrames - 1);
            EXPECT_NEAR (pointerAngle (frameOf (image, f, strip.frameSize)), expected, 2.0)
                << strip.name << " frame " << f;
        }
    }

    INSTANTIATE_TEST_SUITE_P (EmbeddedPictures, KnobStrips, ::testing::Values (
        KnobStrip { "knob_100px_129f", BinaryData::knob_100px_129f_png, BinaryData::knob_100px_129f_pngSize, 100, 129 },
        KnobStrip { "knob_167px_129f", BinaryData::knob_167px_129f_png, BinaryData::knob_167px_129f_pngSize, 167, 129 },
        KnobStrip { "knob_100px_5f", BinaryData::knob_100px_5f_png, BinaryData::knob_100px_5f_pngSize, 100, 5 },
        KnobStrip { "knob_167px_6f", BinaryData::knob_167px_6f_png, BinaryData::knob_167px_6f_pngSize, 167, 6 }),
        [] (const auto& testInfo) { return std::string (testInfo.param.name); });

    //==============================================================================
    TEST (LevelMeterStrips, FillTheirHalfRingFromTheBottomUp)
    {
        for (auto [data, size] : { std::pair { BinaryData::level_meter_left_png, BinaryData::level_meter_left_pngSize },
                                   std::pair { BinaryData::level_meter_right_png, BinaryData::level_meter_right_pngSize } })
        {
            const auto strip = decode (data, size);
            ASSERT_TRUE (strip.isValid());

            const auto lit = [] (const juce::Image& frame)
            {
                return countPixels (frame, [] (juce::Colour c, int, int) { return c.getAlpha() > 128; });
            };

            EXPECT_EQ (countPixels (frameOf (strip, 0, 110), [] (juce::Colour c, int, int) { return c.getAlpha() != 0; }), 0);

            int previous = 0;

            for (int f = 1; f < 129; ++f)
            {
                const auto count = lit (frameOf (strip, f, 110));
                EXPECT_GE (count, previous) << "frame " << f;
                previous = count;
            }

            const auto quietest = frameOf (strip, 1, 110);
            EXPECT_GT (lit (quietest), 0);
            EXPECT_EQ (countPixels (quietest, [] (juce::Colour c, int, int y) { return c.getAlpha() > 128 && y < 55; }), 0);
            EXPECT_GT (lit (frameOf (strip, 128, 110)), 10 * lit (quietest));
        }
    }

    TEST (NeedleMeterStrip, NeedleTravelsFromTheLeftEndToTheRight)
    {
        const auto strip = decode (BinaryData::needle_meter_png, BinaryData::needle_meter_pngSize);
        ASSERT_TRUE (strip.isValid());

        // The needle's own pixels: bright in one frame and not in the other.
        const auto needleCentreX = [] (const juce::Image& frame, const juce::Image& other)
        {
            double sumX = 0.0;
            const auto count = countPixels (frame, [&] (juce::Colour c, int x, int y)
            {
                const auto bright = [] (juce::Colour p) { return p.getBrightness() > 0.8f; };

                if (! bright (c) || bright (other.getPixelAt (x, y)))
                    return false;

                sumX += x;
                return true;
            });

            return count > 0 ? sumX / count : -1.0;
        };

        const auto first = frameOf (strip, 0, 126);
        const auto middle = frameOf (strip, 64, 126);
        const auto last = frameOf (strip, 128, 126);

        EXPECT_LT (needleCentreX (first, last), 95.0);
        EXPECT_NEAR (needleCentreX (middle, first), 125.0, 6.0);
        EXPECT_GT (needleCentreX (last, first), 155.0);
    }

    //==============================================================================
    struct TwoStatePicture
    {
        const char* name;
        const char* data;
        int dataSize;
    };

    void PrintTo (const TwoStatePicture& picture, std::ostream* os)   { *os << picture.name; }

    class TwoStatePictures : public ::testing::TestWithParam<TwoStatePicture> {};

    TEST_P (TwoStatePictures, OnStateBelowIsLitAndOffStateAboveIsNot)
    {
        const auto& picture = GetParam();
        const auto image = decode (picture.data, picture.dataSize);
        ASSERT_TRUE (image.isValid());

        const auto stateHeight = image.getHeight() / 2;
        const auto lamp = [] (juce::Colour c, int, int) { return isTealLamp (c); };

        EXPECT_EQ (countPixels (frameOf (image, 0, stateHeight), lamp), 0) << picture.name;
        EXPECT_GT (countPixels (frameOf (image, 1, stateHeight), lamp), 20) << picture.name;
    }

    INSTANTIATE_TEST_SUITE_P (EmbeddedPictures, TwoStatePictures, ::testing::Values (
        TwoStatePicture { "power_button", BinaryData::power_button_png, BinaryData::power_button_pngSize },
        TwoStatePicture { "section_button", BinaryData::section_button_png, BinaryData::section_button_pngSize },
        TwoStatePicture { "type_button", BinaryData::type_button_png, BinaryData::type_button_pngSize }),
        [] (const auto& testInfo) { return std::string (testInfo.param.name); });

    TEST (TypeButtonPicture, LeavesRoomForTheNeighbouringButtonsAndKnobs)
    {
        // The type buttons overlap each other by up to 26 units and the knobs below them from
        // row 62 on; only the middle of each state may hold art.
        const auto image = decode (BinaryData::type_button_png, BinaryData::type_button_pngSize);
        ASSERT_TRUE (image.isValid());

        for (int state = 0; state < 2; ++state)
        {
            const auto drawn = countPixels (frameOf (image, state, 78), [] (juce::Colour c, int x, int y)
            {
                return c.getAlpha() > 0 && (x < 26 || x >= 74 || y >= 62);
            });

            EXPECT_EQ (drawn, 0) << "state " << state;
        }
    }

    //==============================================================================
    TEST (BackgroundPicture, EndsInAPlainDarkStripForTheInfoLine)
    {
        const auto background = decode (BinaryData::background_png, BinaryData::background_pngSize);
        ASSERT_TRUE (background.isValid());

        // Design rows 800 to 852 are background rows 738 to 790.
        const auto strip = background.getClippedImage ({ 0, 740, 1100, 50 });
        const auto first = strip.getPixelAt (0, 0);

        EXPECT_EQ (countPixels (strip, [first] (juce::Colour c, int, int) { return c != first; }), 0);
        EXPECT_LT (first.getBrightness(), 0.1f);
    }

    TEST (LogoPicture, IsLightArtOnATransparentGround)
    {
        const auto logo = decode (BinaryData::logo_png, BinaryData::logo_pngSize);
        ASSERT_TRUE (logo.isValid());

        const auto transparent = countPixels (logo, [] (juce::Colour c, int, int) { return c.getAlpha() == 0; });
        const auto light = countPixels (logo, [] (juce::Colour c, int, int)
        {
            return c.getAlpha() == 255 && c.getBrightness() > 0.8f;
        });

        EXPECT_EQ (logo.getPixelAt (0, 0).getAlpha(), 0);
        EXPECT_GT (transparent, 92 * 86 / 5);
        EXPECT_GT (light, 92 * 86 / 3);
    }

    TEST (MenuFont, IsATrueTypeFontWithTheOversamplingChoices)
    {
        const auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::menu_font_ttf,
                                                                       (size_t) BinaryData::menu_font_ttfSize);
        ASSERT_NE (typeface, nullptr);

        const juce::Font font (typeface);

        for (auto text : { "off", "2x", "4x", "8x" })
        {
            juce::GlyphArrangement glyphs;
            glyphs.addLineOfText (font.withHeight (14.0f), text, 0.0f, 0.0f);
            juce::Path outline;
            glyphs.createPath (outline);
            EXPECT_FALSE (outline.isEmpty()) << text;
        }
    }
}
