#pragma once

#include <juce_core/juce_core.h>

#include <cmath>

/**
    A setting that glides to a new value instead of jumping: two one-pole smoothers in a row, so
    that the glide starts and ends with no corner (a filter or gain whose setting changes at a
    corner can click there), and a new target mid-way bends the glide without a jump.

    Once the value is within the tolerance of its target it lands on the target exactly, so a
    setting that holds still is exactly the value it was given.
*/
class Glide
{
public:
    /** Sets the time the glide takes to cover 99 % of a change, and lands on the target. */
    void reset (double sampleRate, double seconds, float landingTolerance) noexcept
    {
        // A critically damped pair covers 99 % of a step in about 6.64 of its time constants.
        const auto timeConstant = seconds / 6.64;
        coefficient = (float) (1.0 - std::exp (-1.0 / (timeConstant * sampleRate)));
        tolerance = landingTolerance;
        setCurrentAndTargetValue (target);
    }

    void setTargetValue (float newTarget) noexcept          { target = newTarget; }

    void setCurrentAndTargetValue (float newValue) noexcept
    {
        target = first = current = newValue;
    }

    float getTargetValue() const noexcept                    { return target; }
    bool isSmoothing() const noexcept                        { return current != target || first != target; }

    float getNextValue() noexcept
    {
        if (! isSmoothing())
            return target;

        const auto nextFirst = first + (target - first) * coefficient;
        const auto nextCurrent = current + (nextFirst - current) * coefficient;

        // Rounding can also stop the value short of its target, a few units of the last place
        // per coefficient away.
        const auto landed = std::abs (nextFirst - target) <= tolerance && std::abs (nextCurrent - target) <= tolerance;
        const auto stalled = nextFirst == first && nextCurrent == current;

        first = landed || stalled ? target : nextFirst;
        current = landed || stalled ? target : nextCurrent;
        return current;
    }

private:
    float target = 0.0f, first = 0.0f, current = 0.0f;
    float coefficient = 1.0f, tolerance = 0.0f;
};
