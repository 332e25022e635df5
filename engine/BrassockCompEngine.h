#pragma once

#include "LastResultOf.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace BrassockCompEngine
{

/** A processor that works on one mono sample or one stereo pair per call, so that it can
    run at the host rate or inside an oversampled loop.
*/
template <typename SampleType>
class Processor
{
public:
    virtual ~Processor() = default;

    virtual void init (float sampleRate) = 0;
    virtual void processMono (SampleType& sample, SampleType sideChain) = 0;
    virtual void processStereo (SampleType& left, SampleType& right, SampleType sideChain) = 0;
    virtual void setSideChain (bool shouldUseSideChain) = 0;
};

namespace Compressor
{

/** Returns the one-pole coefficient that covers 99 % of a step in the given time.
    A time of zero or less gives exactly 1: the value follows its target at once.
*/
inline float timeCoefficient (float sampleRate, float milliseconds) noexcept
{
    if (milliseconds <= 0.0f)
        return 1.0f;

    constexpr float logOfOnePercent = -4.6051702f;
    return 1.0f - std::exp (logOfOnePercent / (sampleRate * milliseconds * 0.001f));
}

/** A one-pole smoother that snaps to its target once rounding stops it moving. */
struct OnePoleSmoother
{
    float target, current, coefficient, previous;

    float step() noexcept
    {
        const auto next = (target - current) * coefficient + current;

        // Without the snap, rounding can leave the value stalled or toggling just short of the target.
        if (next == previous)
        {
            previous = target;
            current = target;
        }
        else
        {
            previous = current;
            current = next;
        }

        return current;
    }
};

/** The complete state of a Fet compressor. */
struct FetState
{
    float sampleRate = 44100.0f;
    float gainReductionDb = 0.0f;
    bool sideChainEnabled = false;
    float saturationAmount = 0.0f;
    float attackCoefficient = 0.9945995807647705f;
    float releaseCoefficient = 0.00026100873947143555f;
    float gainReduction = 0.0f;
    OnePoleSmoother ratioSmoother { 1.0f, 1.0f, 0.0034748315811157227f, 1.0f };
    OnePoleSmoother thresholdSmoother { -12.0f, -12.0f, 0.0034748315811157227f, -12.0f };
    OnePoleSmoother inputGainSmoother { 1.0f, 1.0f, 0.005207657814025879f, 1.0f };
    OnePoleSmoother outputGainSmoother { 1.0f, 1.0f, 0.005207657814025879f, 1.0f };
    OnePoleSmoother sideChainGainSmoother { 1.0f, 1.0f, 0.005207657814025879f, 1.0f };
    float floorDb = -96.0f;
};

/**
    A feed-forward FET-style compressor with a fixed -12 dB threshold.

    The level is measured in decibels, and the gain reduction is smoothed in decibels with
    separate attack and release coefficients. An optional soft saturation blends in as the
    gain reduction grows. All times are relative to the rate given to init(), also when
    the caller runs the compressor oversampled.
*/
template <typename SampleType>
class Fet final : public Processor<SampleType>
{
public:
    Fet() : state (std::make_unique<FetState>()) {}

    Fet (const Fet&) = delete;
    Fet& operator= (const Fet&) = delete;

    /** Sets the rate and the smoothers' coefficients; the values being smoothed and the
        gain reduction carry on from where they were.
    */
    void init (float sampleRate) override
    {
        state->sampleRate = sampleRate;
        state->inputGainSmoother.coefficient = timeCoefficient (sampleRate, 20.0f);
        state->outputGainSmoother.coefficient = timeCoefficient (sampleRate, 20.0f);
        state->sideChainGainSmoother.coefficient = timeCoefficient (sampleRate, 20.0f);
        state->ratioSmoother.coefficient = timeCoefficient (sampleRate, 30.0f);
        state->thresholdSmoother.coefficient = timeCoefficient (sampleRate, 30.0f);
    }

    /** Processes one sample as a pair of two equal channels. */
    void processMono (SampleType& sample, SampleType sideChain) override
    {
        auto copy = sample;
        processStereo (sample, copy, sideChain);
    }

    void processStereo (SampleType& left, SampleType& right, SampleType sideChain) override
    {
        auto& s = *state;

        if (s.sideChainEnabled)
            sideChain *= static_cast<SampleType> (s.sideChainGainSmoother.step());

        const auto inputGain = static_cast<SampleType> (s.inputGainSmoother.step());
        left *= inputGain;
        right *= inputGain;

        const auto detector = static_cast<float> (s.sideChainEnabled ? std::abs (sideChain)
                                                                     : (std::abs (left) + std::abs (right)) * SampleType (0.5));

        const auto levelDb = floorLevel (s.floorDb / 20.0f) > detector ? s.floorDb
                                                                       : 20.0f * std::log10 (detector);

        const auto threshold = s.thresholdSmoother.step();
        const auto ratio = s.ratioSmoother.step();

        const auto overshoot = (levelDb - threshold) * (1.0f - 1.0f / ratio);
        const auto target = overshoot >= 0.0f ? overshoot : -0.0f;

        if (target != s.gainReduction)
            s.gainReduction += (target - s.gainReduction) * (target > s.gainReduction ? s.attackCoefficient
                                                                                       : s.releaseCoefficient);

        s.gainReductionDb = -s.gainReduction;

        if (s.saturationAmount > 0.0f)
            saturate (left, right);

        const auto reductionGain = static_cast<SampleType> (reductionGainOf (s.gainReduction / -20.0f));
        left *= reductionGain;
        right *= reductionGain;

        const auto outputGain = static_cast<SampleType> (s.outputGainSmoother.step());
        left *= outputGain;
        right *= outputGain;
    }

    void setSideChain (bool shouldUseSideChain) override   { state->sideChainEnabled = shouldUseSideChain; }

    void setRatio (float newRatio) noexcept                { state->ratioSmoother.target = newRatio; }
    void setSaturation (float newAmount) noexcept          { state->saturationAmount = newAmount; }

    /** Sets the attack time; 0 ms (or less) is the instant attack, a coefficient of exactly 1. */
    void setAttack (float milliseconds) noexcept           { state->attackCoefficient = timeCoefficient (state->sampleRate, milliseconds); }
    void setRelease (float milliseconds) noexcept          { state->releaseCoefficient = timeCoefficient (state->sampleRate, milliseconds); }

    /** Sets the coefficients themselves, for a caller that moves them gradually. */
    void setAttackCoefficient (float coefficient) noexcept  { state->attackCoefficient = coefficient; }
    void setReleaseCoefficient (float coefficient) noexcept { state->releaseCoefficient = coefficient; }

    void setInputGain (float newGain) noexcept             { state->inputGainSmoother.target = newGain; }
    void setOutputGain (float newGain) noexcept            { state->outputGainSmoother.target = newGain; }
    void setSideChainGain (float newGain) noexcept         { state->sideChainGainSmoother.target = newGain; }

    /** The gain reduction after the last sample, in dB: 0 or negative. */
    float getGainReductionDb() const noexcept              { return state->gainReductionDb; }

    const FetState& getState() const noexcept              { return *state; }
    FetState& getState() noexcept                          { return *state; }

private:
    /** How strongly, and with which curvature, the saturation blends in its tanh curve. */
    struct SaturationCurve
    {
        float blendAmount, curvature;
    };

    static SaturationCurve saturationCurveFor (float amount) noexcept
    {
        const auto blendAmount = std::sqrt (std::max (0.0f, amount));
        return { blendAmount, std::tanh (amount * blendAmount / 20.0f) };
    }

    static float powerOfTen (float exponent) noexcept   { return std::pow (10.0f, exponent); }

    // Blends in a tanh curve scaled by the pair's average level so that its slope at zero
    // is 1, more of it the more the signal is being reduced (fully from 12 dB on).
    void saturate (SampleType& left, SampleType& right) noexcept
    {
        const auto average = (std::abs (left) + std::abs (right)) * SampleType (0.5);

        if (! (average > SampleType (1.0e-10)))
            return;

        // The curve remembered for an amount of +0 also serves -0 and the other way round: their
        // curvatures, +0 and -0, are refused alike by the test below.
        const auto curve = saturationCurve (state->saturationAmount * std::min (1.0f, state->gainReduction / 12.0f));

        if (! (std::abs (curve.curvature) > 1.0e-10f))
            return;

        const auto blend = static_cast<SampleType> (curve.blendAmount);
        const auto t = static_cast<SampleType> (curve.curvature);
        const auto shape = [average, t] (SampleType x) { return std::tanh (t * x / average) * average / t; };

        left = left * (SampleType (1) - blend) + shape (left) * blend;
        right = (SampleType (1) - blend) * right + shape (right) * blend;
    }

    std::unique_ptr<FetState> state;

    // The floor never moves, and the reduction (and with it the saturation curve, which stops
    // changing from 12 dB on) often holds still from one sample to the next.
    LastResultOf<float> floorLevel { powerOfTen }, reductionGainOf { powerOfTen };
    LastResultOf<SaturationCurve> saturationCurve { saturationCurveFor };
};

} // namespace Compressor
} // namespace BrassockCompEngine
