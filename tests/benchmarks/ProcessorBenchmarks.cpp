#include "tests/TestSupport.h"

#include <benchmark/benchmark.h>

// The whole processor against the floor its hysteresis arithmetic sets: two channels of the tape
// model at the oversampled rate, for the same amount of host audio. BenchmarkMain prints the ratio.

namespace
{
    constexpr double hostRate = 48000.0;
    constexpr int hostBlockSize = 512;

    void reportRealTime (benchmark::State& state)
    {
        const auto hostSamples = (double) state.iterations() * hostBlockSize;
        state.SetItemsProcessed ((int64_t) hostSamples);
        state.counters["xRealTime"] = benchmark::Counter (hostSamples / hostRate, benchmark::Counter::kIsRate);
    }
}

// Stereo, 48 kHz, 512-sample blocks, every setting at its default but the oversampling.
static void BM_Processor (benchmark::State& state)
{
    const auto index = (int) state.range (0);

    QuorlinAudioProcessor processor;
    TestSupport::setParameter (processor, "os", (float) index);
    if (! TestSupport::prepareLoaded (processor, hostRate, hostBlockSize))
    {
        state.SkipWithError ("impulse responses never loaded");
        return;
    }

    const auto signal = TestSupport::makeSine (2, hostBlockSize, hostRate, 440.0,
                                               juce::Decibels::decibelsToGain (-12.0f));
    juce::AudioBuffer<float> buffer (2, hostBlockSize);
    juce::MidiBuffer midi;

    for (auto _ : state)
    {
        buffer.makeCopyOf (signal, true);
        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    reportRealTime (state);
}
BENCHMARK (BM_Processor)->ArgName ("os")->DenseRange (0, 3);

// The bare scalar model arithmetic: the Type A settings, two channels, 2^os times the host rate.
static void BM_HysteresisFloor (benchmark::State& state)
{
    const auto factor = 1 << state.range (0);
    const auto modelRate = hostRate * factor;
    const auto samplesPerChannel = hostBlockSize * factor;

    std::array<HysteresisProcessing, 2> models;
    std::vector<double> field ((size_t) samplesPerChannel);

    for (auto& model : models)
    {
        model.setParameters ((double) 0.65f, (double) 0.7f, (double) 0.82f);
        model.setSolver (4);
        model.setSampleRate (modelRate);
    }

    // A -12 dBFS sine after the stage's input gain of 0.3.
    for (int i = 0; i < samplesPerChannel; ++i)
        field[(size_t) i] = 0.3 * 0.25 * std::sin (juce::MathConstants<double>::twoPi * 440.0 * i / modelRate);

    // The channels alternate sample by sample, so that one channel's work can overlap the other's
    // long chains of divisions and tanh, as it could in any scalar form of the stage.
    for (auto _ : state)
    {
        for (const auto H : field)
        {
            auto left = models[0].processSample (H);
            auto right = models[1].processSample (H);
            benchmark::DoNotOptimize (left);
            benchmark::DoNotOptimize (right);
        }
    }

    reportRealTime (state);
}
BENCHMARK (BM_HysteresisFloor)->ArgName ("os")->DenseRange (0, 3);
