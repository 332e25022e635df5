// The editor's pictures are decoded once per process, while any instance lives, and are the very
// pictures the embedded files hold.

#include "support/EditorWindowSupport.h"

#include "editor/SharedPictures.h"

#include <BinaryData.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

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

namespace
{
    /** A spinning thread on every core, for as long as it lives. */
    class BusyCores
    {
    public:
        BusyCores()
        {
            for (unsigned i = 0; i < juce::jmax (1u, std::thread::hardware_concurrency()); ++i)
                spinners.emplace_back ([this]
                {
                    while (! stop.load())
                        spins.fetch_add (1, std::memory_order_relaxed);
                });
        }

        ~BusyCores()
        {
            stop = true;

            for (auto& spinner : spinners)
                spinner.join();
        }

    private:
        std::atomic<bool> stop { false };
        std::atomic<std::uint64_t> spins { 0 };
        std::vector<std::thread> spinners;
    };

    /** Every line the framework logs while it lives. */
    class LogLines final : public juce::Logger
    {
    public:
        LogLines()   { juce::Logger::setCurrentLogger (this); }
        ~LogLines() override  { juce::Logger::setCurrentLogger (nullptr); }

        void logMessage (const juce::String& message) override
        {
            const juce::ScopedLock lock (linesLock);
            lines.add (message);
        }

        bool contain (const juce::String& text) const
        {
            const juce::ScopedLock lock (linesLock);
            return lines.joinIntoString ("\n").contains (text);
        }

    private:
        juce::CriticalSection linesLock;
        juce::StringArray lines;
    };

    /** Seconds the instance takes to go. */
    double timeToDrop (std::unique_ptr<QuorlinAudioProcessor> instance)
    {
        const auto start = std::chrono::steady_clock::now();
        instance.reset();
        return std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
    }

    double medianOf (std::vector<double> values)
    {
        std::sort (values.begin(), values.end());
        return values[values.size() / 2];
    }

    /** Runs the message loop until the condition holds, for at most the given seconds. */
    bool dispatchUntil (const std::function<bool()>& condition, double seconds)
    {
        const auto end = juce::Time::getMillisecondCounterHiRes() + seconds * 1000.0;

        while (! condition() && juce::Time::getMillisecondCounterHiRes() < end)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);

        return condition();
    }
}

// A host's scan makes an instance and drops it at once, and a host may drop one while its
// pictures decode: neither waits for a picture, and what has not started decoding never does.
// Nothing stops a decoding thread by force: what is under way finishes by itself.
TEST_F (SharedPictureTest, AnInstanceDroppedWithEveryCoreBusyGoesAsFastAsOneWhosePicturesAreReady)
{
    struct Case
    {
        const char* name;
        std::function<void()> beforeDropping;
        bool decodesNothing;
    };

    const Case cases[] = {
        { "made and dropped at once",          [] {}, true },
        { "dropped while its pictures decode", [] { SharedPictures::get (BinaryData::logo_png, BinaryData::logo_pngSize); }, false },
    };

    processor.reset();
    const LogLines log;
    std::vector<double> ready;

    {
        const BusyCores busy;
        QuorlinAudioProcessor holder;
        holder.editorPictures->waitUntilDecoded();

        for (int run = 0; run < 3; ++run)
            ready.push_back (timeToDrop (std::make_unique<QuorlinAudioProcessor>()));
    }

    for (const auto& c : cases)
    {
        std::vector<double> dropped;
        const auto decodesBefore = SharedPictures::getNumDecodesStarted();

        {
            const BusyCores busy;

            for (int run = 0; run < 3; ++run)
            {
                auto instance = std::make_unique<QuorlinAudioProcessor>();
                c.beforeDropping();
                dropped.push_back (timeToDrop (std::move (instance)));
            }
        }

        EXPECT_LT (medianOf (dropped), 1.5 * medianOf (ready) + 0.05)
            << c.name << ": " << medianOf (dropped) * 1000.0 << " ms, with the pictures ready " << medianOf (ready) * 1000.0 << " ms";

        if (c.decodesNothing)
        {
            EXPECT_EQ (SharedPictures::getNumDecodesStarted(), decodesBefore) << c.name;
        }

        SharedPictures::waitUntilIdle();
    }

    EXPECT_FALSE (log.contain ("killing thread by force"));
}

// A host that keeps the instance for a moment finds everything ready when it first opens the
// editor: the pictures decoded and the artwork stretched for the size the window opens at.
TEST_F (SharedPictureTest, AnInstanceKeptForAMomentHasItsPicturesAndTheArtworkForTheStoredSizeReadyBeforeAnyEditorAsks)
{
    struct Case
    {
        const char* sizeRatio;
        int artworkWidth, artworkHeight;
    };

    // The artwork fills the window below the top bar, 62 / 1100 of the width high.
    const Case cases[] = {
        { nullptr, 825, 639 - 46 },
        { "1.0",  1100, 852 - 62 },
        { "0.5",   550, 426 - 31 },
    };

    for (const auto& c : cases)
    {
        processor.reset();
        settingsFolder().deleteRecursively();

        if (c.sizeRatio != nullptr)
            writeSetting ("sizeRatio", c.sizeRatio);

        const auto decodesBefore = SharedPictures::getNumDecodesStarted();
        processor = std::make_unique<QuorlinAudioProcessor>();
        EXPECT_EQ (SharedPictures::getNumDecodesStarted(), decodesBefore);

        const auto prepared = [&c] { return SharedPictures::hasStretchedArtwork (c.artworkWidth, c.artworkHeight); };
        ASSERT_TRUE (dispatchUntil (prepared, 20.0)) << c.artworkWidth;
        SharedPictures::waitUntilIdle();
        EXPECT_GT (processor->editorPictures->getDecodedSize(), (size_t) 40'000'000);

        // The whole artwork stretched over the area, as the editor would draw it itself.
        const auto artwork = juce::ImageFileFormat::loadFrom (BinaryData::background_png, BinaryData::background_pngSize);
        juce::Image expected (juce::Image::RGB, c.artworkWidth, c.artworkHeight, true);
        juce::Graphics (expected).drawImage (artwork, 0, 0, c.artworkWidth, c.artworkHeight, 0, 0, 1100, 790);
        EXPECT_TRUE (samePixels (SharedPictures::getStretchedArtwork (c.artworkWidth, c.artworkHeight), expected)) << c.artworkWidth;

        // The editor draws that very copy rather than stretching one of its own.
        const auto kept = SharedPictures::getStretchedArtwork (c.artworkWidth, c.artworkHeight);
        open();
        EditorTestSupport::snapshot (*editor);
        EXPECT_EQ (SharedPictures::getStretchedArtwork (c.artworkWidth, c.artworkHeight).getPixelData(), kept.getPixelData());
        close();
    }
}
