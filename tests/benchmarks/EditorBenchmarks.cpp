#include "editor/FilmStripComponent.h"
#include "editor/KnobLookAndFeels.h"
#include "editor/MeterComponent.h"
#include "editor/PluginEditor.h"

#include <BinaryData.h>

#include <benchmark/benchmark.h>

#include <memory>

// One paint of a knob or meter into an image with the software renderer, at the editor's design
// scale (r = 1) and at its largest (r = 1.5), in microseconds per paint; and the whole editor: a
// full paint, and what one 33 ms period of an open editor costs while nothing changes.

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
