#pragma once

#include "engine/ParameterIds.h"
#include "engine/PluginProcessor.h"

#include <chrono>
#include <thread>

namespace TestSupport
{
    /** Sets a parameter in its own units, as the editor or a host would. */
    inline void setParameter (QuorlinAudioProcessor& processor, const char* id, float value)
    {
        auto* parameter = processor.apvts->getParameter (id);
        jassert (parameter != nullptr);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    inline bool impulseResponsesLoaded (TapeTypeProcessor& stage)
    {
        return stage.convolution.getCurrentIRSize() > 0;
    }

    /** Prepares a stage once its impulse response has been decoded, so that its convolution
        runs the response from the first sample instead of fading it in later. False when the
        response never arrives.
    */
    inline bool prepareLoaded (TapeTypeProcessor& stage, double sampleRate, int blockSize)
    {
        for (int attempt = 0; attempt < 500; ++attempt)
        {
            stage.prepare (sampleRate, blockSize);

            if (impulseResponsesLoaded (stage))
                return true;

            std::this_thread::sleep_for (std::chrono::milliseconds (10));
        }

        return false;
    }

    /** Sets the bus layout and prepares the processor once all ten responses have been decoded. */
    inline bool prepareLoaded (QuorlinAudioProcessor& processor, double sampleRate, int blockSize, int numChannels = 2)
    {
        const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);

        if (! processor.setBusesLayout (layout))
            return false;

        processor.setRateAndBufferSizeDetails (sampleRate, blockSize);

        for (int attempt = 0; attempt < 500; ++attempt)
        {
            processor.prepareToPlay (sampleRate, blockSize);

            bool allLoaded = true;

            for (auto& stage : processor.tapeProcessor.tapeStages)
                allLoaded = allLoaded && impulseResponsesLoaded (stage);

            if (allLoaded)
                return true;

            std::this_thread::sleep_for (std::chrono::milliseconds (10));
        }

        return false;
    }

    /** A sine of the given peak amplitude, a slightly different phase on the right. */
    inline juce::AudioBuffer<float> makeSine (int numChannels, int numSamples, double sampleRate,
                                              double frequency, float amplitude, int startSample = 0)
    {
        juce::AudioBuffer<float> buffer (numChannels, numSamples);

        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < numSamples; ++i)
                buffer.setSample (ch, i, amplitude * (float) std::sin (juce::MathConstants<double>::twoPi * frequency
                                                                       * (startSample + i) / sampleRate + 0.25 * ch));

        return buffer;
    }

    /** Processes a block as a host does: through processBlock, or with the host's bypass on,
        through processBlockBypassed.
    */
    inline void processBlock (QuorlinAudioProcessor& processor, juce::AudioBuffer<float>& buffer, bool hostBypassed = false)
    {
        juce::MidiBuffer midi;

        if (hostBypassed)
            processor.processBlockBypassed (buffer, midi);
        else
            processor.processBlock (buffer, midi);
    }

    /** The IDs of the processor's parameters, in their order. */
    inline juce::StringArray parameterIds (QuorlinAudioProcessor& processor)
    {
        juce::StringArray ids;

        for (auto* p : processor.getParameters())
            if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p))
                ids.add (ranged->paramID);

        return ids;
    }

    /** The host state block that the processor writes now. */
    inline juce::MemoryBlock stateOf (QuorlinAudioProcessor& processor)
    {
        juce::MemoryBlock block;
        processor.getStateInformation (block);
        return block;
    }

    inline juce::ValueTree treeOf (const juce::MemoryBlock& block)
    {
        return juce::ValueTree::readFromData (block.getData(), block.getSize());
    }

    /** A tree in the binary form of a host state block. */
    inline juce::MemoryBlock blockOf (const juce::ValueTree& tree)
    {
        juce::MemoryBlock block;
        juce::MemoryOutputStream stream (block, false);
        tree.writeToStream (stream);
        return block;
    }

    inline bool allFinite (const juce::AudioBuffer<float>& buffer)
    {
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                if (! std::isfinite (buffer.getSample (ch, i)))
                    return false;

        return true;
    }
}
