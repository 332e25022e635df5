#include "engine/BrassockCompEngine.h"
#include "engine/HysteresisProcessing.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

// Throughput of the two per-sample DSP hot spots. Each benchmark reports samples per second
// and "xRealTime": how many times faster than real time it runs for one 48 kHz stream.

namespace
{
constexpr double hostRate = 48000.0;
constexpr double twoPi = 6.283185307179586;
constexpr int hostBlockSize = 512;

std::vector<double> makeSine (int numSamples, double frequency, double sampleRate, double amplitude)
{
    std::vector<double> samples (static_cast<size_t> (numSamples));

    for (int i = 0; i < numSamples; ++i)
        samples[static_cast<size_t> (i)] = amplitude * std::sin (twoPi * frequency * i / sampleRate);

    return samples;
}

void reportThroughput (benchmark::State& state, int samplesPerIteration, double samplesPerSecondOfAudio)
{
    const auto samplesProcessed = static_cast<double> (state.iterations()) * samplesPerIteration;

    state.SetItemsProcessed (static_cast<int64_t> (samplesProcessed));
    state.counters["xRealTime"] = benchmark::Counter (samplesProcessed / samplesPerSecondOfAudio,
                                                      benchmark::Counter::kIsRate);
}
} // namespace

//==============================================================================
// One channel of the tape model at 8x oversampling, slot-0 settings. The field is a 1 kHz
// sine of amplitude 0.3: a full-scale input after the stage's input gain of 0.3.
static void BM_HysteresisAt8xOversampling (benchmark::State& state)
{
    constexpr int oversampling = 8;
    constexpr double modelRate = hostRate * oversampling;
    constexpr int samplesPerBlock = hostBlockSize * oversampling;

    HysteresisProcessing model;
    model.setParameters (static_cast<double> (0.65f), static_cast<double> (0.7f), static_cast<double> (0.82f));
    model.setSolver (4);
    model.setSampleRate (modelRate);

    const auto input = makeSine (samplesPerBlock, 1000.0, modelRate, 0.3);

    for (auto _ : state)
    {
        for (const auto H : input)
        {
            auto M = model.processSample (H);
            benchmark::DoNotOptimize (M);
        }
    }

    // One second of host audio is modelRate model samples.
    reportThroughput (state, samplesPerBlock, modelRate);
}
BENCHMARK (BM_HysteresisAt8xOversampling);

//==============================================================================
// The compressor on a stereo 48 kHz stream: a 1 kHz sine of amplitude 0.5 driven into the
// detector, so that it is reducing throughout. Saturating 0 is ratio 4 without saturation,
// saturating 1 ratio 16 with full saturation (the most expensive path); a drive of 6 dB keeps the
// reduction below 12 dB, where the saturation's strength follows it, 20 dB holds it above.
static void BM_FetCompressorStereo (benchmark::State& state)
{
    const auto saturating = state.range (0) != 0;
    const auto driveDb = (float) state.range (1);

    BrassockCompEngine::Compressor::Fet<float> compressor;
    compressor.init (static_cast<float> (hostRate));
    compressor.setRatio (saturating ? 16.0f : 4.0f);
    compressor.setSaturation (saturating ? 1.0f : 0.0f);
    compressor.setAttack (0.41f);
    compressor.setRelease (400.0f);
    compressor.setInputGain (std::pow (10.0f, driveDb / 20.0f));
    compressor.setOutputGain (std::pow (10.0f, (1.0f - 0.4f * driveDb) / 20.0f));
    compressor.setSideChainGain (std::pow (10.0f, driveDb / 20.0f));
    compressor.setSideChain (false);

    std::vector<float> left, right;

    for (const auto x : makeSine (hostBlockSize, 1000.0, hostRate, 0.5))
    {
        left.push_back (static_cast<float> (x));
        right.push_back (static_cast<float> (0.8 * x));
    }

    for (auto _ : state)
    {
        for (size_t i = 0; i < left.size(); ++i)
        {
            auto l = left[i];
            auto r = right[i];
            compressor.processStereo (l, r, 0.0f);
            benchmark::DoNotOptimize (l);
            benchmark::DoNotOptimize (r);
        }

        auto reduction = compressor.getGainReductionDb();
        benchmark::DoNotOptimize (reduction);
    }

    // Items are stereo frames: one second of a 48 kHz stream is 48000 of them.
    reportThroughput (state, hostBlockSize, hostRate);
}
BENCHMARK (BM_FetCompressorStereo)->ArgNames ({ "saturating", "driveDb" })->Args ({ 0, 6 })->Args ({ 1, 6 })->Args ({ 1, 20 });
