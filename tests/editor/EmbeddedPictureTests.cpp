#include "support/EditorTestSupport.h"

#include <BinaryData.h>

// The compiled-in artwork: each picture has the size and layout that the code drawing it
// relies on, whatever it shows.

namespace
{
    struct Picture
    {
        const char* name;
        const char* data;
        int size;
        int width;
        int frameHeight;
        int frames;
    };

    const Picture pictures[] = {
        { "knob_100px_129f_png", BinaryData::knob_100px_129f_png, BinaryData::knob_100px_129f_pngSize, 100, 100, 129 },
        { "knob_167px_129f_png", BinaryData::knob_167px_129f_png, BinaryData::knob_167px_129f_pngSize, 167, 167, 129 },
        { "knob_100px_5f_png", BinaryData::knob_100px_5f_png, BinaryData::knob_100px_5f_pngSize, 100, 100, 5 },
        { "knob_167px_6f_png", BinaryData::knob_167px_6f_png, BinaryData::knob_167px_6f_pngSize, 167, 167, 6 },
        { "needle_meter_png", BinaryData::needle_meter_png, BinaryData::needle_meter_pngSize, 250, 126, 129 },
        { "level_meter_left_png", BinaryData::level_meter_left_png, BinaryData::level_meter_left_pngSize, 55, 110, 129 },
        { "level_meter_right_png", BinaryData::level_meter_right_png, BinaryData::level_meter_right_pngSize, 55, 110, 129 },
        { "power_button_png", BinaryData::power_button_png, BinaryData::power_button_pngSize, 96, 98, 2 },
        { "section_button_png", BinaryData::section_button_png, BinaryData::section_button_pngSize, 49, 52, 2 },
        { "type_button_png", BinaryData::type_button_png, BinaryData::type_button_pngSize, 100, 78, 2 },
        { "logo_png", BinaryData::logo_png, BinaryData::logo_pngSize, 92, 86, 1 },
        { "background_png", BinaryData::background_png, BinaryData::background_pngSize, 1100, 790, 1 },
    };

    juce::Image load (const Picture& picture)
    {
        return juce::ImageCache::getFromMemory (picture.data, picture.size);
    }
}

TEST (EmbeddedPictures, EachHasItsSizeAndFrameCount)
{
    for (const auto& picture : pictures)
    {
        const auto image = load (picture);

        ASSERT_TRUE (image.isValid()) << picture.name;
        EXPECT_EQ (image.getWidth(), picture.width) << picture.name;
        EXPECT_EQ (image.getHeight(), picture.frameHeight * picture.frames) << picture.name;
    }
}

// Holds only for real artwork: a uniform picture would show the same in both states.
TEST (EmbeddedPictures, TwoStatePicturesShowDifferentHalves)
{
    for (const auto& picture : pictures)
    {
        if (picture.frames != 2)
            continue;

        const auto image = load (picture);
        int differing = 0;

        for (int y = 0; y < picture.frameHeight; ++y)
            for (int x = 0; x < picture.width; ++x)
                if (image.getPixelAt (x, y) != image.getPixelAt (x, picture.frameHeight + y))
                    ++differing;

        EXPECT_GT (differing, 0) << picture.name;
    }
}

TEST (EmbeddedPictures, MenuFontIsAUsableTypeface)
{
    const auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::menu_font_ttf,
                                                                   (size_t) BinaryData::menu_font_ttfSize);

    ASSERT_NE (typeface, nullptr);
    EXPECT_TRUE (typeface->getName().isNotEmpty());

    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (juce::Font (typeface), "8x", 0.0f, 0.0f);
    EXPECT_FALSE (glyphs.getBoundingBox (0, -1, true).isEmpty());
}
