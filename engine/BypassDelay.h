#pragma once

#include "Crossfade.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

/**
    The input as a bypassed plug-in passes it: delayed by the latency the plug-in reports, so that
    a host's delay compensation keeps the track in time whether the strip plays or not.

    It always remembers the last input samples, also while the strip plays, so that a bypass can
    start at any block with the right past in hand.
*/
class BypassDelay
{
public:
    static constexpr int capacity = 32;   // more than the largest latency

    void reset() noexcept
    {
        for (auto& channel : history)
            channel.fill (0.0f);

        writePosition = 0;
    }

    /** Takes in a block of input without producing anything: all that a later delay needs of it. */
    void remember (const juce::AudioBuffer<float>& input) noexcept
    {
        const auto numSamples = input.getNumSamples();
        const auto first = juce::jmax (0, numSamples - capacity);

        for (int ch = 0; ch < juce::jmin (2, input.getNumChannels()); ++ch)
        {
            const auto* samples = input.getReadPointer (ch);
            auto position = writePosition;

            for (int i = first; i < numSamples; ++i)
                history[(size_t) ch][(size_t) (position++ & mask)] = samples[i];
        }

        writePosition = (writePosition + numSamples - first) & mask;
    }

    /** Replaces a block of input by the input of delaySamples earlier. */
    void process (juce::AudioBuffer<float>& buffer, int delaySamples) noexcept
    {
        process (buffer, delaySamples, delaySamples, nullptr);
    }

    /** Replaces a block of input by a fade from one delay to another; weights (one per sample) are
        those of the second delay, and may be null when both delays are equal.
    */
    void process (juce::AudioBuffer<float>& buffer, int fromDelay, int toDelay, const float* weights) noexcept
    {
        jassert (juce::isPositiveAndBelow (fromDelay, capacity) && juce::isPositiveAndBelow (toDelay, capacity));
        const auto numSamples = buffer.getNumSamples();

        for (int ch = 0; ch < juce::jmin (2, buffer.getNumChannels()); ++ch)
        {
            auto& ring = history[(size_t) ch];
            auto* samples = buffer.getWritePointer (ch);
            auto position = writePosition;

            for (int i = 0; i < numSamples; ++i, ++position)
            {
                ring[(size_t) (position & mask)] = samples[i];
                const auto from = ring[(size_t) ((position - fromDelay) & mask)];

                if (fromDelay == toDelay)
                    samples[i] = from;
                else
                    samples[i] = Crossfade::blend (from, ring[(size_t) ((position - toDelay) & mask)], weights[i]);
            }
        }

        writePosition = (writePosition + numSamples) & mask;
    }

private:
    static constexpr int mask = capacity - 1;

    std::array<std::array<float, capacity>, 2> history {};
    int writePosition = 0;
};
