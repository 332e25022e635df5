#include "TapeTypeProcessor.h"

#include "TwoLaneHysteresis.h"

#include <BinaryData.h>

namespace
{
    using Stereo = juce::dsp::Convolution::Stereo;

    struct SlotSettings
    {
        const char* impulseResponse;
        int impulseResponseSize;
        Stereo stereo;
        float width, saturation, drive, inputGain, outputGain;
    };

    // Indexed by tapeSlot. Slot 5 takes only the first channel of its response.
    const SlotSettings slotSettings[] = {
        { BinaryData::ir_tape0_speed0_wav, BinaryData::ir_tape0_speed0_wavSize, Stereo::yes, 0.65f, 0.7f, 0.82f, 0.3f,  8.3f },
        { BinaryData::ir_tape1_speed0_wav, BinaryData::ir_tape1_speed0_wavSize, Stereo::yes, 0.7f,  0.6f, 0.82f, 0.3f,  4.8f },
        { BinaryData::ir_tape2_speed0_wav, BinaryData::ir_tape2_speed0_wavSize, Stereo::yes, 0.7f,  0.6f, 0.8f,  0.5f,  1.2f },
        { BinaryData::ir_tape3_speed0_wav, BinaryData::ir_tape3_speed0_wavSize, Stereo::yes, 0.65f, 0.7f, 0.82f, 0.18f, 1.2f },
        { BinaryData::ir_tape4_speed0_wav, BinaryData::ir_tape4_speed0_wavSize, Stereo::yes, 0.1f,  0.7f, 0.82f, 0.18f, 7.148f },
        { BinaryData::ir_tape0_speed1_wav, BinaryData::ir_tape0_speed1_wavSize, Stereo::no,  0.65f, 0.7f, 0.82f, 0.3f,  3.7f },
        { BinaryData::ir_tape1_speed1_wav, BinaryData::ir_tape1_speed1_wavSize, Stereo::yes, 0.1f,  0.6f, 0.82f, 0.3f,  9.5f },
        { BinaryData::ir_tape2_speed1_wav, BinaryData::ir_tape2_speed1_wavSize, Stereo::yes, 0.1f,  0.7f, 1.15f, 0.18f, 1.5f },
        { BinaryData::ir_tape3_speed1_wav, BinaryData::ir_tape3_speed1_wavSize, Stereo::yes, 0.1f,  0.7f, 1.15f, 0.18f, 1.3f },
        { BinaryData::ir_tape4_speed1_wav, BinaryData::ir_tape4_speed1_wavSize, Stereo::yes, 0.1f,  0.7f, 1.15f, 0.18f, 6.1f },
    };

    constexpr float lowShelfFrequency = 25.0f;
    constexpr float lowShelfGain = 0.063095726f;   // -24 dB
    constexpr float lowShelfQ = 0.70710677f;
    constexpr int hysteresisIterations = 4;
}

TapeTypeProcessor::TapeTypeProcessor (TapeType type, TapeSpeed speed)
{
    const auto& settings = slotSettings[tapeSlot (type, speed)];

    convolution.loadImpulseResponse (settings.impulseResponse, (size_t) settings.impulseResponseSize,
                                     settings.stereo, juce::dsp::Convolution::Trim::yes, 0,
                                     juce::dsp::Convolution::Normalise::no);

    inputGain = settings.inputGain;
    outputGain = settings.outputGain;
    shelfFrequency = lowShelfFrequency;
    shelfGain = lowShelfGain;

    for (size_t exponent = 0; exponent < oversamplers.size(); ++exponent)
    {
        oversamplers[exponent] = std::make_unique<juce::dsp::Oversampling<float>> (
            2, exponent, juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, true, false);
        oversamplers[exponent]->setUsingIntegerLatency (true);
    }

    for (auto& model : hysteresis)
    {
        model.setParameters ((double) settings.width, (double) settings.saturation, (double) settings.drive);
        model.setSolver (hysteresisIterations);
    }
}

TapeTypeProcessor::~TapeTypeProcessor() = default;

void TapeTypeProcessor::prepare (double newSampleRate, int blockSize)
{
    sampleRate = (float) newSampleRate;
    oversamplingFactor = 1 << oversamplingIndex;

    for (auto& oversampler : oversamplers)
        oversampler->initProcessing ((size_t) blockSize);

    lastOversamplingIndex = oversamplingIndex;
    silentChannel.setSize (1, blockSize);
    outgoingPath.setSize (2, blockSize);
    fadeWeights.resize ((size_t) blockSize);
    oversamplingFade.setLength (Crossfade::lengthFor (newSampleRate));
    oversamplingFade.snapTo (true);

    for (auto& model : hysteresis)
        model.setSampleRate ((double) oversamplingFactor * newSampleRate);

    const juce::dsp::ProcessSpec spec { newSampleRate, (juce::uint32) blockSize, 2 };
    convolution.prepare (spec);

    *lowShelf.state = juce::dsp::IIR::ArrayCoefficients<float>::makeLowShelf (newSampleRate, shelfFrequency, lowShelfQ, shelfGain);
    lowShelf.prepare (spec);
}

void TapeTypeProcessor::setOversamplingIndex (int index) noexcept
{
    oversamplingIndex = index;

    if (index != lastOversamplingIndex)
    {
        oversamplingFactor = 1 << index;
        lastOversamplingIndex = index;

        for (auto& model : hysteresis)
            model.setSampleRate ((double) ((float) oversamplingFactor * sampleRate));
    }
}

void TapeTypeProcessor::changeOversamplingIndex (int index) noexcept
{
    if (index == oversamplingIndex)
        return;

    if (fadeWeights.empty())
    {
        setOversamplingIndex (index);
        return;
    }

    outgoingHysteresis = hysteresis;
    outgoingOversamplingIndex = oversamplingIndex;

    // The new path starts from silence rather than from whatever its filters held when last used.
    oversamplers[(size_t) index]->reset();
    setOversamplingIndex (index);
    oversamplingFade.restart();
}

void TapeTypeProcessor::process (juce::AudioBuffer<float>& buffer) noexcept
{
    buffer.applyGain (inputGain);

    if (oversamplingFade.isMoving())
    {
        const auto numChannels = buffer.getNumChannels();
        const auto numSamples = buffer.getNumSamples();
        jassert (numSamples <= outgoingPath.getNumSamples());   // more than prepare() was told

        juce::AudioBuffer<float> outgoing (outgoingPath.getArrayOfWritePointers(), numChannels, numSamples);

        for (int ch = 0; ch < numChannels; ++ch)
            outgoing.copyFrom (ch, 0, buffer, ch, 0, numSamples);

        runModels (outgoing, outgoingOversamplingIndex, outgoingHysteresis);
        runModels (buffer, oversamplingIndex, hysteresis);
        oversamplingFade.fillWeights (fadeWeights.data(), numSamples);

        for (int ch = 0; ch < numChannels; ++ch)
        {
            auto* samples = buffer.getWritePointer (ch);
            const auto* old = outgoing.getReadPointer (ch);

            for (int i = 0; i < numSamples; ++i)
                samples[i] = Crossfade::blend (old[i], samples[i], fadeWeights[(size_t) i]);
        }
    }
    else
    {
        runModels (buffer, oversamplingIndex, hysteresis);
    }

    juce::dsp::AudioBlock<float> block (buffer);
    juce::dsp::ProcessContextReplacing<float> context (block);
    lowShelf.process (context);
    convolution.process (context);

    buffer.applyGain (outputGain);
}

void TapeTypeProcessor::runModels (juce::AudioBuffer<float>& buffer, int index, std::array<HysteresisProcessing, 2>& models) noexcept
{
    const auto numChannels = buffer.getNumChannels();

    // The oversamplers are built for two channels and expect blocks of two: a mono buffer goes
    // through with a silent partner channel, which no model processes.
    float* channels[] = { buffer.getWritePointer (0), numChannels > 1 ? buffer.getWritePointer (1) : silentChannel.getWritePointer (0) };
    const auto numSamples = (size_t) buffer.getNumSamples();

    if (numChannels == 1)
    {
        jassert (silentChannel.getNumSamples() >= (int) numSamples);   // more than prepare() was told
        juce::FloatVectorOperations::clear (channels[1], (int) numSamples);
    }

    juce::dsp::AudioBlock<float> oversamplerBlock (channels, 2, numSamples);
    auto& oversampler = *oversamplers[(size_t) index];
    auto upsampled = oversampler.processSamplesUp (oversamplerBlock);

    // An oversampler that was never prepared hands back an empty block, and the model is skipped.
    const auto modelChannels = juce::jmin ((size_t) numChannels, upsampled.getNumChannels());
    const auto modelSamples = upsampled.getNumSamples();

    if (modelChannels == 2 && TwoLaneHysteresis::canRunTogether (models[0], models[1]))
    {
        TwoLaneHysteresis (models[0], models[1]).process (upsampled.getChannelPointer (0),
                                                         upsampled.getChannelPointer (1),
                                                         modelSamples);
    }
    else
    {
        for (size_t ch = 0; ch < modelChannels; ++ch)
        {
            auto& model = models[ch];
            auto* samples = upsampled.getChannelPointer (ch);

            for (size_t i = 0; i < modelSamples; ++i)
                samples[i] = (float) model.processSample ((double) samples[i]);
        }
    }

    oversampler.processSamplesDown (oversamplerBlock);
}
