#pragma once

#include "Crossfade.h"
#include "HysteresisProcessing.h"

#include <juce_dsp/juce_dsp.h>

#include <array>
#include <memory>
#include <vector>

/** The tape model of a tape stage. */
enum TapeType : int { tape0 = 0, tape1 = 1, tape2 = 2, tape3 = 3, tape4 = 4 };

/** The tape speed of a tape stage. */
enum TapeSpeed : int { speed0 = 0, speed1 = 1 };

/** The processor's index of a tape stage. */
constexpr int tapeSlot (TapeType type, TapeSpeed speed) noexcept   { return (int) type + 5 * (int) speed; }

/**
    One tape colour: input gain, the hysteresis model at the oversampled rate, a fixed low shelf,
    the slot's impulse response (100 % wet) and an output gain.

    A stage that is not processing keeps all its state, so it resumes seamlessly when it is
    selected again.
*/
class TapeTypeProcessor
{
public:
    TapeTypeProcessor (TapeType type, TapeSpeed speed);
    ~TapeTypeProcessor();

    /** Readies the stage for a host rate and maximum block size. The models' state is kept. */
    void prepare (double sampleRate, int blockSize);

    /** Takes the oversampling choice (0 to 3, factors 1 to 8) for the next blocks, at once. */
    void setOversamplingIndex (int index) noexcept;

    /** Takes a new oversampling choice with a crossfade: for the length of one fade the models go
        on at the old rate beside the new one, each behind its own oversampler.
    */
    void changeOversamplingIndex (int index) noexcept;

    /** Ends a crossfade between two oversampling choices at once, dropping the old one. */
    void finishOversamplingChange() noexcept       { oversamplingFade.snapTo (true); }

    /** Processes one or two channels in place, at most the prepared block size. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    std::array<HysteresisProcessing, 2> hysteresis;
    std::array<std::unique_ptr<juce::dsp::Oversampling<float>>, 4> oversamplers;

    float sampleRate = 44100.0f;
    int oversamplingFactor = 0;
    int oversamplingIndex = 0;
    int lastOversamplingIndex = 0;

    juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<float>, juce::dsp::IIR::Coefficients<float>> lowShelf;
    juce::dsp::Convolution convolution;

    float inputGain = 1.0f;
    float outputGain = 1.0f;
    float shelfFrequency = 10.0f;
    float shelfGain = 1.0f;

private:
    void runModels (juce::AudioBuffer<float>& buffer, int index, std::array<HysteresisProcessing, 2>& models) noexcept;

    juce::AudioBuffer<float> silentChannel;

    // The way out of an oversampling change: the models as they were, at the old rate.
    std::array<HysteresisProcessing, 2> outgoingHysteresis;
    int outgoingOversamplingIndex = 0;
    juce::AudioBuffer<float> outgoingPath;
    Crossfade oversamplingFade;
    std::vector<float> fadeWeights;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TapeTypeProcessor)
};
