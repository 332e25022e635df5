#include "engine/BrassockCompEngine.h"

#include <gtest/gtest.h>

#include <cmath>

// Expected values below were computed separately with the compressor's formulas in
// Python, rounding every operation to single precision; none comes from this code.

namespace
{
using Fet = BrassockCompEngine::Compressor::Fet<float>;
using BrassockCompEngine::Compressor::FetState;
using BrassockCompEngine::Compressor::OnePoleSmoother;

void settle (OnePoleSmoother& smoother, float value)
{
    smoother.target = value;
    smoother.current = value;
    smoother.previous = value;
}

// A 48 kHz compressor whose ratio smoother already rests at the given ratio, with instant attack.
void prepareSettled (Fet& compressor, float ratio)
{
    compressor.init (48000.0f);
    compressor.setAttack (0.0f);
    settle (compressor.getState().ratioSmoother, ratio);
}

void expectSmoother (const OnePoleSmoother& smoother, OnePoleSmoother expected)
{
    EXPECT_FLOAT_EQ (smoother.target, expected.target);
    EXPECT_FLOAT_EQ (smoother.current, expected.current);
    EXPECT_FLOAT_EQ (smoother.coefficient, expected.coefficient);
    EXPECT_FLOAT_EQ (smoother.previous, expected.previous);
}

void expectRelativelyNear (float expected, float actual, float relativeTolerance)
{
    EXPECT_NEAR (expected, actual, relativeTolerance * std::abs (expected));
}

constexpr float coefficient20msAt44100 = 0.005207657814025879f;
constexpr float coefficient30msAt44100 = 0.0034748315811157227f;
constexpr float coefficient20msAt48000 = 0.0047855377197265625f;
constexpr float coefficient30msAt48000 = 0.003192901611328125f;

// (20 log10 (0.5) + 12) * (1 - 1/20)
constexpr float reductionForHalfScaleAtRatio20 = 5.680429458618164f;
} // namespace

//==============================================================================
TEST (FetCompressor, ConstructionValues)
{
    const Fet compressor;
    const auto& state = compressor.getState();

    EXPECT_EQ (state.sampleRate, 44100.0f);
    EXPECT_EQ (state.gainReductionDb, 0.0f);
    EXPECT_FALSE (state.sideChainEnabled);
    EXPECT_EQ (state.saturationAmount, 0.0f);
    EXPECT_EQ (state.attackCoefficient, 0.9945995807647705f);
    EXPECT_EQ (state.releaseCoefficient, 0.00026100873947143555f);
    EXPECT_EQ (state.gainReduction, 0.0f);
    expectSmoother (state.ratioSmoother, { 1.0f, 1.0f, coefficient30msAt44100, 1.0f });
    expectSmoother (state.thresholdSmoother, { -12.0f, -12.0f, coefficient30msAt44100, -12.0f });
    expectSmoother (state.inputGainSmoother, { 1.0f, 1.0f, coefficient20msAt44100, 1.0f });
    expectSmoother (state.outputGainSmoother, { 1.0f, 1.0f, coefficient20msAt44100, 1.0f });
    expectSmoother (state.sideChainGainSmoother, { 1.0f, 1.0f, coefficient20msAt44100, 1.0f });
    EXPECT_EQ (state.floorDb, -96.0f);
    EXPECT_EQ (compressor.getGainReductionDb(), 0.0f);
}

TEST (FetCompressor, InitSetsTheFiveCoefficientsAndKeepsEverythingElse)
{
    Fet compressor;
    auto& state = compressor.getState();
    state.inputGainSmoother = { 2.0f, 1.5f, 0.5f, 1.25f };
    state.outputGainSmoother = { 0.5f, 0.75f, 0.5f, 0.8f };
    state.sideChainGainSmoother = { 3.0f, 2.0f, 0.5f, 1.0f };
    state.ratioSmoother = { 20.0f, 10.0f, 0.5f, 9.0f };
    state.thresholdSmoother = { -12.0f, -12.0f, 0.5f, -12.0f };
    state.gainReduction = 7.5f;
    state.gainReductionDb = -7.5f;

    compressor.init (48000.0f);

    EXPECT_EQ (state.sampleRate, 48000.0f);
    expectSmoother (state.inputGainSmoother, { 2.0f, 1.5f, coefficient20msAt48000, 1.25f });
    expectSmoother (state.outputGainSmoother, { 0.5f, 0.75f, coefficient20msAt48000, 0.8f });
    expectSmoother (state.sideChainGainSmoother, { 3.0f, 2.0f, coefficient20msAt48000, 1.0f });
    expectSmoother (state.ratioSmoother, { 20.0f, 10.0f, coefficient30msAt48000, 9.0f });
    expectSmoother (state.thresholdSmoother, { -12.0f, -12.0f, coefficient30msAt48000, -12.0f });
    EXPECT_EQ (state.gainReduction, 7.5f);
    EXPECT_EQ (state.gainReductionDb, -7.5f);
    EXPECT_EQ (state.attackCoefficient, 0.9945995807647705f);
    EXPECT_EQ (state.releaseCoefficient, 0.00026100873947143555f);

    // The construction coefficients are exactly those of 20 ms and 30 ms at 44.1 kHz.
    compressor.init (44100.0f);
    EXPECT_FLOAT_EQ (state.inputGainSmoother.coefficient, coefficient20msAt44100);
    EXPECT_FLOAT_EQ (state.ratioSmoother.coefficient, coefficient30msAt44100);
}

TEST (FetCompressor, AttackAndReleaseUseTheRateGivenToInit)
{
    Fet compressor;

    compressor.setAttack (0.02f);
    compressor.setRelease (400.0f);
    EXPECT_FLOAT_EQ (compressor.getState().attackCoefficient, 0.9945995807647705f);
    EXPECT_FLOAT_EQ (compressor.getState().releaseCoefficient, 0.00026100873947143555f);

    compressor.init (48000.0f);
    compressor.setAttack (0.41f);
    compressor.setRelease (400.0f);
    EXPECT_FLOAT_EQ (compressor.getState().attackCoefficient, 0.2086402177810669f);
    EXPECT_FLOAT_EQ (compressor.getState().releaseCoefficient, 0.00023984909057617188f);
}

TEST (FetCompressor, ZeroAttackTimeIsInstant)
{
    for (const auto milliseconds : { 0.0f, -1.0f })
    {
        Fet compressor;
        compressor.init (48000.0f);
        compressor.setAttack (milliseconds);

        EXPECT_EQ (compressor.getState().attackCoefficient, 1.0f) << milliseconds;
    }
}

TEST (FetCompressor, SettersSetTargetsAndSettings)
{
    Fet compressor;
    compressor.setRatio (8.0f);
    compressor.setSaturation (1.0f);
    compressor.setInputGain (2.0f);
    compressor.setOutputGain (0.5f);
    compressor.setSideChainGain (3.0f);
    compressor.setSideChain (true);

    const auto& state = compressor.getState();
    EXPECT_EQ (state.ratioSmoother.target, 8.0f);
    EXPECT_EQ (state.saturationAmount, 1.0f);
    EXPECT_EQ (state.inputGainSmoother.target, 2.0f);
    EXPECT_EQ (state.outputGainSmoother.target, 0.5f);
    EXPECT_EQ (state.sideChainGainSmoother.target, 3.0f);
    EXPECT_TRUE (state.sideChainEnabled);

    EXPECT_EQ (state.ratioSmoother.current, 1.0f);
    EXPECT_EQ (state.inputGainSmoother.current, 1.0f);
}

//==============================================================================
TEST (FetCompressor, SmootherStep)
{
    struct Case
    {
        OnePoleSmoother before;
        float expectedCurrent, expectedPrevious;
    };

    const Case cases[] = {
        { { 0.0f, 1.0f, 0.25f, 1.0f }, 0.75f, 1.0f },     // moves a quarter of the way
        { { 0.5f, 1.0f, 0.0f, 1.0f }, 0.5f, 0.5f },       // stopped moving: snaps to the target
        { { 0.5f, 1.0f, 0.0f, 0.9f }, 1.0f, 1.0f },       // did move last time: no snap yet
        { { 2.0f, 1.5f, 1.0f, 1.0f }, 2.0f, 1.5f },       // a coefficient of 1 jumps to the target
    };

    for (const auto& c : cases)
    {
        auto smoother = c.before;
        EXPECT_EQ (smoother.step(), c.expectedCurrent);
        EXPECT_EQ (smoother.current, c.expectedCurrent);
        EXPECT_EQ (smoother.previous, c.expectedPrevious);
        EXPECT_EQ (smoother.target, c.before.target);
    }
}

TEST (FetCompressor, SmootherLandsExactlyOnItsTarget)
{
    for (const auto target : { 0.3f, 20.0f, -7.0f, 1.0e-3f })
    {
        OnePoleSmoother smoother { target, 1.0f, coefficient20msAt48000, 1.0f };

        for (int i = 0; i < 48000 && smoother.current != target; ++i)
            smoother.step();

        EXPECT_EQ (smoother.current, target);

        smoother.step();
        EXPECT_EQ (smoother.current, target);
        EXPECT_EQ (smoother.previous, target);
    }
}

//==============================================================================
TEST (FetCompressor, SilenceAsksForNoReduction)
{
    Fet compressor;
    compressor.init (48000.0f);
    compressor.setRatio (20.0f);

    for (int i = 0; i < 4800; ++i)
    {
        auto left = 0.0f, right = 0.0f;
        compressor.processStereo (left, right, 0.0f);

        ASSERT_EQ (compressor.getState().gainReduction, 0.0f);
        ASSERT_LE (compressor.getGainReductionDb(), 0.0f);
        ASSERT_EQ (left, 0.0f);
    }
}

TEST (FetCompressor, SilenceReleasesTheReduction)
{
    Fet compressor;
    prepareSettled (compressor, 20.0f);
    compressor.setRelease (400.0f);
    compressor.getState().gainReduction = 6.0f;

    auto left = 0.0f, right = 0.0f;
    compressor.processStereo (left, right, 0.0f);

    // 6 - 6 * releaseCoefficient (400 ms at 48 kHz)
    EXPECT_FLOAT_EQ (compressor.getState().gainReduction, 5.998560905456543f);
    EXPECT_FLOAT_EQ (compressor.getGainReductionDb(), -5.998560905456543f);

    auto previousReduction = compressor.getState().gainReduction;

    for (int i = 0; i < 10 * 48000; ++i)
    {
        left = right = 0.0f;
        compressor.processStereo (left, right, 0.0f);

        const auto reduction = compressor.getState().gainReduction;
        ASSERT_LE (reduction, previousReduction);
        ASSERT_GE (reduction, 0.0f);
        ASSERT_LE (compressor.getGainReductionDb(), 0.0f);
        previousReduction = reduction;
    }

    EXPECT_LT (previousReduction, 1.0e-6f);
}

TEST (FetCompressor, SteadyHalfScaleAtRatio20AfterTheRatioHasSettled)
{
    Fet compressor;
    compressor.init (48000.0f);
    compressor.setAttack (0.0f);
    compressor.setRatio (20.0f);

    const auto& state = compressor.getState();

    for (int i = 0; i < 48000 && state.ratioSmoother.current != 20.0f; ++i)
    {
        auto left = 0.5f, right = 0.5f;
        compressor.processStereo (left, right, 0.0f);
    }

    ASSERT_EQ (state.ratioSmoother.current, 20.0f);

    auto left = 0.5f, right = 0.5f;
    compressor.processStereo (left, right, 0.0f);

    EXPECT_FLOAT_EQ (state.gainReduction, reductionForHalfScaleAtRatio20);
    EXPECT_FLOAT_EQ (compressor.getGainReductionDb(), -reductionForHalfScaleAtRatio20);
    EXPECT_NEAR (compressor.getGainReductionDb(), -5.68f, 0.005f);
}

TEST (FetCompressor, RatioOneNeverReduces)
{
    for (const auto input : { 0.01f, 0.5f, 1.0f, 4.0f, 30.0f })
    {
        Fet compressor;
        prepareSettled (compressor, 1.0f);

        auto left = input, right = -input;
        compressor.processStereo (left, right, 0.0f);

        EXPECT_EQ (compressor.getState().gainReduction, 0.0f) << input;
        EXPECT_LE (compressor.getGainReductionDb(), 0.0f) << input;
        EXPECT_EQ (left, input);
        EXPECT_EQ (right, -input);
    }
}

TEST (FetCompressor, InstantAttackReachesARisingTargetInOneSample)
{
    Fet compressor;
    prepareSettled (compressor, 4.0f);

    struct Step
    {
        float input, expectedReduction;
    };

    // (20 log10 (x) + 12) * (1 - 1/4)
    const Step steps[] = { { 0.5f, 4.484549522399902f }, { 1.0f, 9.0f } };

    for (const auto& step : steps)
    {
        auto left = step.input, right = step.input;
        compressor.processStereo (left, right, 0.0f);

        EXPECT_FLOAT_EQ (compressor.getState().gainReduction, step.expectedReduction) << step.input;
    }

    // A finite attack time only covers part of the way in one sample.
    Fet slower;
    prepareSettled (slower, 4.0f);
    slower.setAttack (0.15f);

    auto left = 0.5f, right = 0.5f;
    slower.processStereo (left, right, 0.0f);

    EXPECT_FLOAT_EQ (slower.getState().gainReduction, 2.118950843811035f);
}

TEST (FetCompressor, GainStagesAroundTheDetector)
{
    Fet compressor;
    prepareSettled (compressor, 20.0f);
    settle (compressor.getState().inputGainSmoother, 2.0f);
    settle (compressor.getState().outputGainSmoother, 0.5f);

    // Input gain 2 brings 0.25 to the half-scale level; output gain 0.5 halves the reduced result.
    auto left = 0.25f, right = 0.25f;
    compressor.processStereo (left, right, 0.0f);

    EXPECT_FLOAT_EQ (compressor.getState().gainReduction, reductionForHalfScaleAtRatio20);
    EXPECT_FLOAT_EQ (left, 0.12999257445335388f);
    EXPECT_FLOAT_EQ (right, 0.12999257445335388f);
}

TEST (FetCompressor, SideChainDrivesTheDetectorOnlyWhenEnabled)
{
    Fet compressor;
    prepareSettled (compressor, 20.0f);
    auto& state = compressor.getState();
    state.sideChainGainSmoother = { 4.0f, 2.0f, coefficient20msAt48000, 2.0f };

    auto left = 0.01f, right = 0.01f;
    compressor.processStereo (left, right, 0.25f);

    EXPECT_EQ (state.sideChainGainSmoother.current, 2.0f);
    EXPECT_EQ (state.gainReduction, 0.0f);

    settle (state.sideChainGainSmoother, 2.0f);
    compressor.setSideChain (true);

    left = right = 0.01f;
    compressor.processStereo (left, right, 0.25f);

    // |0.25| * 2 reads as half scale, while the quiet programme is what gets reduced.
    EXPECT_FLOAT_EQ (state.gainReduction, reductionForHalfScaleAtRatio20);
    EXPECT_FLOAT_EQ (left, 0.005199702922254801f);
}

TEST (FetCompressor, MonoMatchesStereoOnEqualChannels)
{
    Fet mono, stereo;

    for (auto* compressor : { &mono, &stereo })
    {
        compressor->init (48000.0f);
        compressor->setRatio (16.0f);
        compressor->setSaturation (1.0f);
        compressor->setAttack (0.41f);
        compressor->setRelease (225.0f);
        compressor->setOutputGain (0.8f);
    }

    for (int i = 0; i < 4800; ++i)
    {
        const auto input = i < 2400 ? 0.5f : 0.5f * std::sin (0.05f * static_cast<float> (i));

        auto monoSample = input;
        mono.processMono (monoSample, 0.0f);

        auto left = input, right = input;
        stereo.processStereo (left, right, 0.0f);

        ASSERT_EQ (monoSample, left) << i;
        ASSERT_EQ (left, right) << i;
        ASSERT_EQ (mono.getGainReductionDb(), stereo.getGainReductionDb()) << i;
    }
}

//==============================================================================
struct SaturationCase
{
    float left, right, expectedReduction;
    float expectedLeftSaturated, expectedRightSaturated;
    float expectedLeftClean, expectedRightClean;
};

// Ratio 20 with instant attack; every pair reduces by 12 dB or more, so with saturation 1
// the blend K is 1 and each channel x becomes tanh (t x / avg) avg / t with t = tanh (1/20),
// followed by the reduction gain 10^(-reduction / 20).
const SaturationCase saturationCases[] = {
    { 2.0f, 2.0f, 17.119569778442383f, 0.2784135639667511f, 0.2784135639667511f, 0.2786451578140259f, 0.2786451578140259f },
    { 3.0f, -1.0f, 17.119569778442383f, 0.4171870946884155f, -0.1392936110496521f, 0.4179677367210388f, -0.13932257890701294f },
    { -4.0f, 0.5f, 18.091466903686523f, -0.49698907136917114f, 0.062284328043460846f, -0.4982951581478119f, 0.062286894768476486f },
};

TEST (FetCompressor, FullSaturationShapesEachChannelByThePairAverage)
{
    for (const auto& c : saturationCases)
    {
        Fet compressor;
        prepareSettled (compressor, 20.0f);
        compressor.setSaturation (1.0f);

        auto left = c.left, right = c.right;
        compressor.processStereo (left, right, 0.0f);

        // The shaping differs from the clean result by about 1e-3, far outside these tolerances.
        EXPECT_FLOAT_EQ (compressor.getState().gainReduction, c.expectedReduction);
        expectRelativelyNear (c.expectedLeftSaturated, left, 2.0e-6f);
        expectRelativelyNear (c.expectedRightSaturated, right, 2.0e-6f);
    }
}

TEST (FetCompressor, BelowTwelveDecibelsTheShapedSignalIsBlendedIn)
{
    struct Case
    {
        float amount, expectedLeft, expectedRight;
    };

    // The pair (1.5, -0.5) averages 1 (0 dB) and reduces by 11.4 dB; s = amount * 11.4 / 12, K = sqrt (s).
    // Without saturation the result would be (0.40373021364212036, -0.1345767378807068).
    const Case cases[] = {
        { 1.0f, 0.40309977531433105f, -0.13455334305763245f },
        { 0.5f, 0.40367433428764343f, -0.13457466661930084f },
    };

    for (const auto& c : cases)
    {
        Fet compressor;
        prepareSettled (compressor, 20.0f);
        compressor.setSaturation (c.amount);

        auto left = 1.5f, right = -0.5f;
        compressor.processStereo (left, right, 0.0f);

        EXPECT_FLOAT_EQ (compressor.getState().gainReduction, 11.399999618530273f);
        expectRelativelyNear (c.expectedLeft, left, 2.0e-6f);
        expectRelativelyNear (c.expectedRight, right, 2.0e-6f);
    }
}

TEST (FetCompressor, ZeroSaturationAmountLeavesTheSignalClean)
{
    for (const auto& c : saturationCases)
    {
        Fet compressor;
        prepareSettled (compressor, 20.0f);
        compressor.setSaturation (0.0f);

        auto left = c.left, right = c.right;
        compressor.processStereo (left, right, 0.0f);

        EXPECT_FLOAT_EQ (compressor.getState().gainReduction, c.expectedReduction);
        expectRelativelyNear (c.expectedLeftClean, left, 2.0e-6f);
        expectRelativelyNear (c.expectedRightClean, right, 2.0e-6f);
    }
}

TEST (FetCompressor, SaturationNeedsReduction)
{
    // Below the threshold there is no reduction, so even full saturation adds nothing.
    Fet compressor;
    prepareSettled (compressor, 20.0f);
    compressor.setSaturation (1.0f);

    auto left = 0.1f, right = -0.05f;
    compressor.processStereo (left, right, 0.0f);

    EXPECT_EQ (compressor.getState().gainReduction, 0.0f);
    EXPECT_EQ (left, 0.1f);
    EXPECT_EQ (right, -0.05f);
}
