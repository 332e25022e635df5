#pragma once

#include <juce_core/juce_core.h>

/**
    A crossfade between two signal paths, "off" and "on", over a fixed number of samples.

    The weight of the "on" path follows an S-curve with no slope at either end, so that neither the
    start nor the end of a fade has a corner a listener hears as a click; the "off" path takes the
    rest, so two paths that carry the same signal sum to it unchanged. A fade that is turned back
    half-way returns from where it is.
*/
class Crossfade
{
public:
    /** The length of the strip's crossfades: 20 ms, short enough to follow a switch at once and
        long enough to hide the seam.
    */
    static int lengthFor (double sampleRate) noexcept   { return juce::roundToInt (0.02 * sampleRate); }

    /** Sets the length of a whole fade; a fade under way keeps its place, clamped. */
    void setLength (int numSamples) noexcept
    {
        length = juce::jmax (1, numSamples);
        position = juce::jlimit (0, length, position);
        target = target > 0 ? length : 0;
    }

    /** Starts or turns back a fade towards the given path. */
    void setTarget (bool on) noexcept               { target = on ? length : 0; }

    /** Stands at the given path at once. */
    void snapTo (bool on) noexcept                  { target = position = on ? length : 0; }

    /** Restarts a fade from the "off" path to the "on" path. */
    void restart() noexcept                         { position = 0; target = length; }

    /** Holds a fade that has just left the "off" path there for some samples before it moves. */
    void holdOff (int numSamples) noexcept
    {
        if (position == 0 && target > 0)
            position = -numSamples;
    }

    bool isMoving() const noexcept                  { return position != target; }
    bool isFullyOff() const noexcept                { return position == 0 && target == 0; }

    /** Writes the weight of the "on" path for each of the next samples, and moves on by as many. */
    void fillWeights (float* weights, int numSamples) noexcept
    {
        const auto direction = target > position ? 1 : (target < position ? -1 : 0);

        for (int i = 0; i < numSamples; ++i)
        {
            if (position != target)
                position += direction;

            const auto t = (float) juce::jmax (0, position) / (float) length;
            weights[i] = t * t * (3.0f - 2.0f * t);
        }
    }

    /** One sample of a crossfade: exactly the old path at weight 0 and the new one at weight 1. */
    static float blend (float oldPath, float newPath, float weight) noexcept
    {
        return newPath * weight + oldPath * (1.0f - weight);
    }

    /** Moves on by a number of samples without producing weights. */
    void skip (int numSamples) noexcept
    {
        position = target > position ? juce::jmin (target, position + numSamples)
                                     : juce::jmax (target, position - numSamples);
    }

private:
    int length = 1, position = 0, target = 0;
};
