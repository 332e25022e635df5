#include "editor/FilmStripComponent.h"
#include "editor/KnobLookAndFeels.h"
#include "editor/MeterComponent.h"

#include <BinaryData.h>

#include <benchmark/benchmark.h>

#include <memory>

// One paint of a knob or meter into an image with the software renderer, at the editor's design
// scale (r = 1) and at its largest (r = 1.5), in microseconds per paint.

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
