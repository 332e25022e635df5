#pragma once

#include <cmath>

/** Output meter envelope: jumps up to any higher input at once, falls with a 0.1 s time constant. */
struct EnvelopeFollower
{
    void prepare (float newSampleRate) noexcept
    {
        sampleRate = newSampleRate;
        envelope = 0.0f;
        attackCoefficient = 1.0f;
        releaseCoefficient = 1.0f - std::exp (-1.0f / (sampleRate * releaseTime));
    }

    float process (float sample) noexcept
    {
        const auto x = std::abs (sample);
        const auto coefficient = x > envelope ? attackCoefficient : releaseCoefficient;
        envelope += (x - envelope) * coefficient;
        return envelope;
    }

    float sampleRate = 44100.0f;
    float envelope = 0.0f;
    float attackCoefficient = 1.0f;
    float releaseCoefficient = 0.0f;
    float releaseTime = 0.1f;
};
