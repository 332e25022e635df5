#include "FreshProcess.h"
#include "editor/FilmStripComponent.h"
#include "editor/KnobLookAndFeels.h"
#include "editor/MeterComponent.h"
#include "editor/PluginEditor.h"
#include "editor/SharedPictures.h"

#include <BinaryData.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <set>

#include <unistd.h>

// One paint of a knob or meter into an image with the software renderer, at the editor's design
// scale (r = 1) and at its largest (r = 1.5), in microseconds per paint; the whole editor: a full
// paint, and what one 33 ms period of an open editor costs while nothing changes; and, each in a
// fresh process, how long a host waits for the editor to open, the memory its pictures take and
// what making and dropping an instance costs.

namespace
{
    /** scalePercent is the editor's r in percent. */
    void paintRepeatedly (benchmark::State& state, juce::Component& component, int64_t scalePercent)
    {
        const auto scale = (float) scalePercent / 100.0f;
        juce::Image image (juce::Image::ARGB,
                           juce::roundToInt ((float) component.getWidth() * scale),
                           juce::roundToInt ((float) component.getHeight() * scale),
                           true, juce::SoftwareImageType());

        for (auto _ : state)
        {
            juce::Graphics g (image);
            g.addTransform (juce::AffineTransform::scale (scale));
            component.paintEntireComponent (g, false);
            benchmark::DoNotOptimize (image.getPixelData());
        }
    }

    std::unique_ptr<FilmStripKnobLookAndFeel> makeKnobLook (int index)
    {
        switch (index)
        {
            case 0:  return std::make_unique<CustomLookAndFeel>();
            case 1:  return std::make_unique<CustomLookAndFeel2>();
            case 2:  return std::make_unique<CustomLookAndFeel2b>();
            case 3:  return std::make_unique<CustomLookAndFeel3>();
            default: return std::make_unique<CustomLookAndFeel4>();
        }
    }
}

// look: 0 CustomLookAndFeel, 1 CustomLookAndFeel2, 2 CustomLookAndFeel2b, 3 CustomLookAndFeel3,
// 4 CustomLookAndFeel4; each knob halfway along a range like its parameter's.
static void BM_KnobPaint (benchmark::State& state)
{
    const auto look = makeKnobLook ((int) state.range (0));

    juce::Slider knob;
    knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    knob.setLookAndFeel (look.get());
    knob.setRange (-81.0, 10.0);
    knob.setValue (-10.0, juce::dontSendNotification);
    knob.setSize (look->frameSize, look->frameSize);

    paintRepeatedly (state, knob, state.range (1));

    knob.setLookAndFeel (nullptr);
}
BENCHMARK (BM_KnobPaint)->ArgNames ({ "look", "scale%" })->ArgsProduct ({ { 0, 1, 2, 3, 4 }, { 100, 150 } })
                        ->Unit (benchmark::kMicrosecond);

static void BM_NeedleMeterPaint (benchmark::State& state)
{
    std::atomic<float> value { 0.7f };
    FilmStripComponent needle (&value);
    needle.setFilmstrip (juce::ImageCache::getFromMemory (BinaryData::needle_meter_png, BinaryData::needle_meter_pngSize), 129);
    needle.stopTimer();
    needle.setSize (250, 126);

    paintRepeatedly (state, needle, state.range (0));
}
BENCHMARK (BM_NeedleMeterPaint)->ArgName ("scale%")->Arg (100)->Arg (150)->Unit (benchmark::kMicrosecond);

static void BM_LevelMeterPaint (benchmark::State& state)
{
    QuorlinAudioProcessor::Level left, right;
    left.level = 0.8f;
    right.level = 0.5f;

    MeterComponent meter (left, right);
    meter.setSize (110, 110);

    paintRepeatedly (state, meter, state.range (0));
}
BENCHMARK (BM_LevelMeterPaint)->ArgName ("scale%")->Arg (100)->Arg (150)->Unit (benchmark::kMicrosecond);

namespace
{
    /** A processor with signal on its meters and its editor at r = scalePercent / 100. */
    struct OpenEditor
    {
        explicit OpenEditor (int64_t scalePercent)
        {
            processor.setRateAndBufferSizeDetails (48000.0, 512);
            processor.gainReductionNeedle = 0.7f;
            processor.outputLevelLeft.level = 0.4f;
            processor.outputLevelRight.level = 0.3f;

            const auto width = (int) (1100 * scalePercent / 100);
            editor.setSize (width, width * 852 / 1100);
        }

        QuorlinAudioProcessor processor;
        QuorlinAudioProcessorEditor editor { processor };
    };
}

static void BM_EditorPaint (benchmark::State& state)
{
    OpenEditor open (state.range (0));
    auto& editor = open.editor;
    juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true, juce::SoftwareImageType());

    for (auto _ : state)
    {
        juce::Graphics g (image);
        editor.paintEntireComponent (g, false);
        benchmark::DoNotOptimize (image.getPixelData());
    }
}
BENCHMARK (BM_EditorPaint)->ArgName ("scale%")->Arg (75)->Arg (100)->Arg (150)->Unit (benchmark::kMicrosecond);

// Every timer's tick of one 33 ms period (the editor's power poll, the top-bar meter, the needle
// and the two halves of the level ring; the preset bar's 500 ms poll every fifteenth period), then
// the repaint of the areas they asked for, as a window paints them.
static void BM_EditorIdlePeriod (benchmark::State& state)
{
    OpenEditor open (state.range (0));
    auto& editor = open.editor;
    juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true, juce::SoftwareImageType());

    std::vector<juce::Timer*> ticking { &editor, &editor.topBarMeter, &editor.needleMeter };

    for (auto* child : editor.outputMeter.getChildren())
        if (auto* strip = dynamic_cast<FilmStripComponent*> (child))
            ticking.push_back (strip);

    juce::RectangleList<int> repainted;

    for (auto* meter : { static_cast<juce::Component*> (&editor.topBarMeter), static_cast<juce::Component*> (&editor.needleMeter),
                         static_cast<juce::Component*> (&editor.outputMeter) })
        repainted.add (editor.getLocalArea (meter, meter->getLocalBounds()));

    int period = 0;

    for (auto _ : state)
    {
        for (auto* timer : ticking)
            timer->timerCallback();

        if (++period % 15 == 0)
            editor.presetSelector->timerCallback();

        juce::Graphics g (image);
        g.reduceClipRegion (repainted);
        editor.paintEntireComponent (g, false);
        benchmark::DoNotOptimize (image.getPixelData());
    }
}
BENCHMARK (BM_EditorIdlePeriod)->ArgName ("scale%")->Arg (75)->Arg (100)->Arg (150)->Unit (benchmark::kMicrosecond);

namespace
{
    using Clock = std::chrono::steady_clock;

    double millisecondsSince (Clock::time_point start)
    {
        return std::chrono::duration<double, std::milli> (Clock::now() - start).count();
    }

    /** Lets the message loop run for a while, as a host's message thread does between calls. */
    void dispatchMessagesFor (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** From the host's createEditor to the end of the editor's first full paint, in milliseconds:
        the whole, and the editor's making and its paint.
    */
    FreshProcess::Results openAndPaint (QuorlinAudioProcessor& processor)
    {
        const auto start = Clock::now();
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
        const auto made = millisecondsSince (start);

        const auto paintStart = Clock::now();
        juce::Image image (juce::Image::ARGB, editor->getWidth(), editor->getHeight(), true, juce::SoftwareImageType());
        {
            juce::Graphics g (image);
            editor->paintEntireComponent (g, false);
        }
        const auto painted = millisecondsSince (paintStart);
        const auto whole = millisecondsSince (start);

        benchmark::DoNotOptimize (image.getPixelData());
        return { { "opening_ms", whole }, { "making_ms", made }, { "painting_ms", painted } };
    }

    /** The process's resident memory, in megabytes. */
    double residentMegabytes()
    {
        long pages = 0, resident = 0;

        if (auto* statm = std::fopen ("/proc/self/statm", "r"))
        {
            if (std::fscanf (statm, "%ld %ld", &pages, &resident) != 2)
                resident = 0;

            std::fclose (statm);
        }

        return (double) resident * (double) sysconf (_SC_PAGESIZE) / 1.0e6;
    }

    // The host's window waits for the editor from createEditor to the end of its first paint.
    // Situation 0: right after the instance is made (hosts that open the window on insert); 1,
    // three seconds after; 2, again after it was closed for fifteen seconds. The host's message
    // loop runs meanwhile.
    const auto editorOpening = FreshProcess::add ("editor opening", [] (int64_t situation)
    {
        QuorlinAudioProcessor processor;
        processor.setRateAndBufferSizeDetails (48000.0, 512);

        if (situation == 1)
            dispatchMessagesFor (3000);

        if (situation == 2)
        {
            openAndPaint (processor);
            dispatchMessagesFor (15000);
        }

        return openAndPaint (processor);
    });

    // The resident memory with one and with eight instances, each having opened an editor once,
    // and the memory their decoded pictures take (one copy for all).
    const auto pictureMemory = FreshProcess::add ("picture memory", [] (int64_t numInstances)
    {
        std::vector<std::unique_ptr<QuorlinAudioProcessor>> instances;

        for (int64_t i = 0; i < numInstances; ++i)
        {
            instances.push_back (std::make_unique<QuorlinAudioProcessor>());
            openAndPaint (*instances.back());
        }

        instances.front()->editorPictures->waitUntilDecoded();
        std::set<SharedPictures*> copies;

        for (const auto& instance : instances)
            copies.insert (instance->editorPictures.get());

        return FreshProcess::Results { { "resident_MB", residentMegabytes() },
                                       { "pictures_MB", (double) instances.front()->editorPictures->getDecodedSize() / 1.0e6 },
                                       { "picture_copies", (double) copies.size() } };
    });

    // A host inserting the plug-in makes an instance and prepares it; a scan makes one and drops
    // it at once. Five of each in turn, the medians: 0, the process's first instances, with
    // nothing decoded; 1, with another instance holding the pictures decoded.
    const auto instanceMaking = FreshProcess::add ("instance making", [] (int64_t picturesHeld)
    {
        std::unique_ptr<QuorlinAudioProcessor> holder;

        if (picturesHeld != 0)
        {
            holder = std::make_unique<QuorlinAudioProcessor>();
            holder->editorPictures->waitUntilDecoded();
            SharedPictures::waitUntilIdle();
        }

        const auto decodesBefore = SharedPictures::getNumDecodesStarted();
        std::vector<double> making, dropping;

        for (int run = 0; run < 5; ++run)
        {
            auto start = Clock::now();
            auto processor = std::make_unique<QuorlinAudioProcessor>();
            processor->setRateAndBufferSizeDetails (48000.0, 512);
            processor->prepareToPlay (48000.0, 512);
            making.push_back (millisecondsSince (start));

            start = Clock::now();
            processor.reset();
            dropping.push_back (millisecondsSince (start));
        }

        const auto median = [] (std::vector<double> values)
        {
            std::sort (values.begin(), values.end());
            return values[values.size() / 2];
        };

        return FreshProcess::Results { { "making_ms", median (making) }, { "dropping_ms", median (dropping) },
                                       { "pictures_decoded", (double) (SharedPictures::getNumDecodesStarted() - decodesBefore) } };
    });
}

static void BM_EditorOpening (benchmark::State& state)
{
    FreshProcess::measure (state, "editor opening", "opening_ms");
}
BENCHMARK (BM_EditorOpening)->ArgName ("situation")->Arg (0)->Arg (1)->Arg (2)
                            ->Iterations (1)->UseManualTime()->Unit (benchmark::kMillisecond);

static void BM_PictureMemory (benchmark::State& state)
{
    FreshProcess::measure (state, "picture memory", "");
}
BENCHMARK (BM_PictureMemory)->ArgName ("instances")->Arg (1)->Arg (8)->Iterations (1)->Unit (benchmark::kMillisecond);

static void BM_InstanceMaking (benchmark::State& state)
{
    FreshProcess::measure (state, "instance making", "making_ms");
}
BENCHMARK (BM_InstanceMaking)->ArgName ("pictures_held")->Arg (0)->Arg (1)->Iterations (1)->UseManualTime()->Unit (benchmark::kMillisecond);
