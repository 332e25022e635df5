// The editor's pictures are decoded once per process, while any instance lives, and are the very
// pictures the embedded files hold.

#include "EditorWindowSupport.h"

#include "editor/SharedPictures.h"

#include <BinaryData.h>

using namespace EditorWindowSupport;

namespace
{
    struct Embedded
    {
        const char* name;
        const void* data;
        int size;
    };

    const Embedded embeddedPictures[] = {
        { "background",        BinaryData::background_png,        BinaryData::background_pngSize },
        { "knob_100px_129f",   BinaryData::knob_100px_129f_png,   BinaryData::knob_100px_129f_pngSize },
        { "knob_167px_129f",   BinaryData::knob_167px_129f_png,   BinaryData::knob_167px_129f_pngSize },
        { "knob_100px_5f",     BinaryData::knob_100px_5f_png,     BinaryData::knob_100px_5f_pngSize },
        { "knob_167px_6f",     BinaryData::knob_167px_6f_png,     BinaryData::knob_167px_6f_pngSize },
        { "needle_meter",      BinaryData::needle_meter_png,      BinaryData::needle_meter_pngSize },
        { "level_meter_left",  BinaryData::level_meter_left_png,  BinaryData::level_meter_left_pngSize },
        { "level_meter_right", BinaryData::level_meter_right_png, BinaryData::level_meter_right_pngSize },
        { "power_button",      BinaryData::power_button_png,      BinaryData::power_button_pngSize },
        { "section_button",    BinaryData::section_button_png,    BinaryData::section_button_pngSize },
        { "type_button",       BinaryData::type_button_png,       BinaryData::type_button_pngSize },
        { "logo",              BinaryData::logo_png,              BinaryData::logo_pngSize },
    };

    bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        if (a.getBounds() != b.getBounds() || a.getFormat() != b.getFormat())
            return false;

        const juce::Image::BitmapData first (a, juce::Image::BitmapData::readOnly), second (b, juce::Image::BitmapData::readOnly);

        for (int y = 0; y < a.getHeight(); ++y)
            if (std::memcmp (first.getLinePointer (y), second.getLinePointer (y), (size_t) (a.getWidth() * first.pixelStride)) != 0)
                return false;

        return true;
    }

    using SharedPictureTest = EditorTest;
}

TEST_F (SharedPictureTest, EachPictureIsTheOneItsFileHolds)
{
    for (const auto& picture : embeddedPictures)
    {
        const auto shared = SharedPictures::get (picture.data, picture.size);
        const auto decoded = juce::ImageFileFormat::loadFrom (picture.data, (size_t) picture.size);
        ASSERT_TRUE (decoded.isValid()) << picture.name;
        EXPECT_TRUE (samePixels (shared, decoded)) << picture.name;
    }
}

TEST_F (SharedPictureTest, InstancesShareOneCopyThatGoesWithTheLastOfThem)
{
    auto second = std::make_unique<QuorlinAudioProcessor>();
    ASSERT_EQ (second->editorPictures, processor->editorPictures);

    // Two editors, one picture in memory.
    open();
    auto otherEditor = std::make_unique<QuorlinAudioProcessorEditor> (*second);
    EXPECT_EQ (editor->customLookAndFeel2b.filmStrip.getPixelData(), otherEditor->customLookAndFeel2b.filmStrip.getPixelData());
    EXPECT_EQ (editor->powerButton.picture.getPixelData(), otherEditor->powerButton.picture.getPixelData());

    // Every picture decoded, and each once: 12 pictures, about 46 MB.
    processor->editorPictures->waitUntilDecoded();
    const auto decodedSize = processor->editorPictures->getDecodedSize();
    EXPECT_GT (decodedSize, (size_t) 40'000'000);
    EXPECT_LT (decodedSize, (size_t) 50'000'000);

    // An editor closing keeps them; the last instance going releases them.
    const auto needle = SharedPictures::get (BinaryData::needle_meter_png, BinaryData::needle_meter_pngSize);
    close();
    otherEditor.reset();
    EXPECT_TRUE (SharedPictures::areHeld());
    second.reset();
    EXPECT_TRUE (SharedPictures::areHeld());
    processor.reset();
    EXPECT_FALSE (SharedPictures::areHeld());
    EXPECT_EQ (needle.getPixelData()->getReferenceCount(), 1);

    // A new instance decodes them anew.
    processor = std::make_unique<QuorlinAudioProcessor>();
    EXPECT_TRUE (SharedPictures::areHeld());
    EXPECT_NE (SharedPictures::get (BinaryData::needle_meter_png, BinaryData::needle_meter_pngSize).getPixelData(), needle.getPixelData());
}

TEST_F (SharedPictureTest, AnEditorOpenedWhileThePicturesDecodeShowsThemAllOnItsFirstPaint)
{
    // Right after the instance is made, as hosts that open the window on insert do.
    processor.reset();
    processor = std::make_unique<QuorlinAudioProcessor>();
    open().setSize (1100, 852);
    const auto firstPaint = EditorTestSupport::snapshot (*editor);

    // Opened the same way again, from no settings file, once everything is decoded.
    processor->editorPictures->waitUntilDecoded();
    close();
    settingsFolder().deleteRecursively();
    open().setSize (1100, 852);
    EXPECT_TRUE (samePixels (firstPaint, EditorTestSupport::snapshot (*editor)));
}
