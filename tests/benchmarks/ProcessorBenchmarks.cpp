#include "editor/SharedPictures.h"
#include "engine/TwoLaneHysteresis.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <vector>

// The whole processor against the floor its hysteresis arithmetic sets: two channels of the scalar
// tape model at the oversampled rate, for the same amount of host audio; and the two-lane model that
// the stereo stage runs instead. BenchmarkMain prints the ratios. The processors share the editor's
// pictures that BenchmarkMain has decoded up front, so nothing decodes beside the audio.

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

namespace
{
    /** Stereo, 48 kHz, 512-sample blocks of a -12 dBFS sine, every setting at its default but the
        oversampling; beforeBlock runs ahead of each block. The audio alone: no editor picture may
        be decoding beside it.
    */
    template <typename BeforeBlock>
    void runProcessor (benchmark::State& state, BeforeBlock&& beforeBlock)
    {
        QuorlinAudioProcessor processor;
        TestSupport::setParameter (processor, ParameterIds::oversampling, (float) state.range (0));

        if (! TestSupport::prepareLoaded (processor, hostRate, hostBlockSize))
        {
            state.SkipWithError ("impulse responses never loaded");
            return;
        }

        const auto signal = TestSupport::makeSine (2, hostBlockSize, hostRate, 440.0,
                                                   juce::Decibels::decibelsToGain (-12.0f));
        juce::AudioBuffer<float> buffer (2, hostBlockSize);
        juce::MidiBuffer midi;

        SharedPictures::waitUntilIdle();
        const auto decodesBefore = SharedPictures::getNumDecodesStarted();

        for (auto _ : state)
        {
            beforeBlock (processor);
            buffer.makeCopyOf (signal, true);
            processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
        }

        if (SharedPictures::getNumDecodesStarted() != decodesBefore)
            state.SkipWithError ("the editor's pictures decoded beside the audio");

        reportRealTime (state);
    }
}

static void BM_Processor (benchmark::State& state)
{
    runProcessor (state, [] (QuorlinAudioProcessor&) {});
}
BENCHMARK (BM_Processor)->ArgName ("os")->DenseRange (0, 3);

namespace
{
    /** Two models with the Type A settings at 2^os times the host rate, and one block of their field. */
    struct FloorSetUp
    {
        explicit FloorSetUp (int oversamplingIndex)
        {
            const auto modelRate = hostRate * (1 << oversamplingIndex);
            const auto samplesPerChannel = hostBlockSize << oversamplingIndex;

            for (auto& model : models)
            {
                model.setParameters ((double) 0.65f, (double) 0.7f, (double) 0.82f);
                model.setSolver (4);
                model.setSampleRate (modelRate);
            }

            // A -12 dBFS sine after the stage's input gain of 0.3.
            for (int i = 0; i < samplesPerChannel; ++i)
                field.push_back (0.3 * 0.25 * std::sin (juce::MathConstants<double>::twoPi * 440.0 * i / modelRate));
        }

        std::array<HysteresisProcessing, 2> models;
        std::vector<double> field;
    };
}

// The bare scalar model arithmetic, for the same amount of host audio as the processor.
static void BM_HysteresisFloor (benchmark::State& state)
{
    FloorSetUp setUp ((int) state.range (0));
    auto& models = setUp.models;
    const auto& field = setUp.field;

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

// The same two models and field in the stereo stage's two-lane form, on float samples as in the stage.
static void BM_HysteresisTwoLanes (benchmark::State& state)
{
    FloorSetUp setUp ((int) state.range (0));
    const std::vector<float> input (setUp.field.begin(), setUp.field.end());
    auto left = input, right = input;

    for (auto _ : state)
    {
        std::copy (input.begin(), input.end(), left.begin());
        std::copy (input.begin(), input.end(), right.begin());
        TwoLaneHysteresis (setUp.models[0], setUp.models[1]).process (left.data(), right.data(), input.size());
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }

    reportRealTime (state);
}
BENCHMARK (BM_HysteresisTwoLanes)->ArgName ("os")->DenseRange (0, 3);

// The same, with every continuous setting moved in every block, as a host's automation of all of
// them at once would: what gliding settings and per-sample filter coefficients cost at most.
static void BM_ProcessorWithEverySettingMoving (benchmark::State& state)
{
    const char* const moving[] = { ParameterIds::drive, ParameterIds::threshold, ParameterIds::lowGain, ParameterIds::lowCut,
                                   ParameterIds::midGain, ParameterIds::highGain, ParameterIds::mix, ParameterIds::output };
    bool up = false;

    runProcessor (state, [&] (QuorlinAudioProcessor& processor)
    {
        up = ! up;

        for (const auto* id : moving)
            processor.apvts->getParameter (id)->setValueNotifyingHost (up ? 0.6f : 0.4f);
    });
}
BENCHMARK (BM_ProcessorWithEverySettingMoving)->ArgName ("os")->DenseRange (0, 3);
