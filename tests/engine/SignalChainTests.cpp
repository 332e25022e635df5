#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{
    using TestSupport::setParameter;

    constexpr double hostRate = 48000.0;
    constexpr int blockSize = 512;

    // Needle position with no gain reduction, from the needle polynomial at 10^(-0.2 / 20).
    constexpr float restingNeedle = 0.97936737f;

    class SignalChain : public ::testing::Test
    {
    protected:
        void SetUp() override   { ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, blockSize)); }

        juce::AudioBuffer<float> processSine (int startSample = 0, float amplitude = 0.25f, int numSamples = blockSize)
        {
            auto buffer = TestSupport::makeSine (processor.getTotalNumOutputChannels(), numSamples, hostRate, 440.0, amplitude, startSample);
            TestSupport::processBlock (processor, buffer);
            return buffer;
        }

        const BrassockCompEngine::Compressor::FetState& compressorState() const   { return processor.compressor.getState(); }

        QuorlinAudioProcessor processor;
    };
}

TEST_F (SignalChain, PowerOffPassesTheInputAtTheLatencyAndFreezesTheMeters)
{
    for (int b = 0; b < 4; ++b)
        processSine (b * blockSize);

    setParameter (processor, ParameterIds::power, 0.0f);
    setParameter (processor, ParameterIds::oversampling, 2.0f);

    // The strip crossfades to the bypass within 20 ms (960 samples), so from the third block on
    // only the delayed input is heard.
    for (int b = 4; b < 6; ++b)
        processSine (b * blockSize);

    const auto needle = processor.gainReductionNeedle.load();
    const auto levelLeft = processor.outputLevelLeft.level.load();
    const auto levelRight = processor.outputLevelRight.level.load();
    ASSERT_GT (levelLeft, 0.0f);
    ASSERT_EQ (processor.getLatencySamples(), 11);

    const auto input = TestSupport::makeSine (2, 2 * blockSize, hostRate, 440.0, 0.25f, 6 * blockSize);
    auto output = input;

    for (int b = 0; b < 2; ++b)
    {
        juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), 2, b * blockSize, blockSize);
        TestSupport::processBlock (processor, block);
    }

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 11; i < 2 * blockSize; ++i)
            ASSERT_EQ (output.getSample (ch, i), input.getSample (ch, i - 11)) << ch << " " << i;

    EXPECT_EQ (processor.gainReductionNeedle.load(), needle);
    EXPECT_EQ (processor.outputLevelLeft.level.load(), levelLeft);
    EXPECT_EQ (processor.outputLevelRight.level.load(), levelRight);
    EXPECT_EQ (processor.getLatencySamples(), 11);
}

TEST_F (SignalChain, LastChannelTypeSwitchOnWins)
{
    struct Case { bool a, b, c, d; int slot; };

    const Case cases[] = {
        { true,  false, false, false, 0 },
        { false, true,  false, false, 5 },
        { true,  false, true,  false, 1 },
        { false, false, false, true,  6 },
        { true,  true,  true,  true,  6 },
        { false, true,  true,  false, 1 },
        { false, false, false, false, 1 },   // none on: keeps the previous slot
    };

    for (const auto& c : cases)
    {
        setParameter (processor, ParameterIds::typeA, c.a ? 1.0f : 0.0f);
        setParameter (processor, ParameterIds::typeB, c.b ? 1.0f : 0.0f);
        setParameter (processor, ParameterIds::typeC, c.c ? 1.0f : 0.0f);
        setParameter (processor, ParameterIds::typeD, c.d ? 1.0f : 0.0f);

        // Long enough for the crossfade of 20 ms to end.
        for (int b = 0; b < 3; ++b)
            processSine (b * blockSize);

        EXPECT_EQ (processor.tapeProcessor.currentSlot, c.slot) << c.a << c.b << c.c << c.d;
        EXPECT_EQ (processor.tapeProcessor.playingSlot, c.slot);
        EXPECT_EQ (processor.tapeProcessor.previousSlot, c.slot);
    }
}

TEST (ChannelTypeCrossfade, MixesTheTwoStagesOver20msAtAnyBlockSize)
{
    constexpr int fadeLength = 960;   // 20 ms at 48 kHz

    for (const auto size : { 64, 512, 333 })
    {
        SCOPED_TRACE (size);
        QuorlinAudioProcessor processor;
        ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, size));

        // Two stages of the same slots, fresh like the processor's, run separately as the reference.
        TapeTypeProcessor typeA (tape0, speed0), typeB (tape0, speed1);
        ASSERT_TRUE (TestSupport::prepareLoaded (typeA, hostRate, size));
        ASSERT_TRUE (TestSupport::prepareLoaded (typeB, hostRate, size));

        auto& tape = processor.tapeProcessor;
        tape.currentSlot = tapeSlot (tape0, speed1);
        float lastWeight = 0.0f;

        for (int start = 0; start < fadeLength + 2 * size; start += size)
        {
            const auto input = TestSupport::makeSine (2, size, hostRate, 330.0, 0.6f, start);
            auto fromA = input, fromB = input, mixed = input;
            typeA.process (fromA);
            typeB.process (fromB);
            processor.processTapeStage (mixed);

            for (int i = 0; i < size; ++i)
            {
                const auto n = start + i;
                const auto a = fromA.getSample (0, i), b = fromB.getSample (0, i), out = mixed.getSample (0, i);

                if (n >= fadeLength)
                {
                    ASSERT_EQ (out, b) << n;
                    ASSERT_EQ (mixed.getSample (1, i), fromB.getSample (1, i)) << n;
                    continue;
                }

                // The weight of the new stage, read back from the mix, rises steadily from 0 to 1
                // along an S-curve about the straight line.
                if (std::abs (b - a) > 0.05f)
                {
                    const auto weight = (out - a) / (b - a);
                    ASSERT_GE (weight, lastWeight - 1.0e-3f) << n;
                    ASSERT_GE (weight, -1.0e-3f) << n;
                    ASSERT_LE (weight, 1.0f + 1.0e-3f) << n;
                    ASSERT_NEAR (weight, (float) (n + 1) / fadeLength, 0.16f) << n;
                    lastWeight = weight;
                }
            }
        }

        EXPECT_EQ (tape.previousSlot, 5);
        EXPECT_EQ (tape.playingSlot, 5);
    }
}

TEST (ChannelTypeCrossfade, TheFirstBlockAfterPreparationPlaysTheChosenTypeAlone)
{
    QuorlinAudioProcessor processor;
    setParameter (processor, ParameterIds::typeA, 0.0f);
    setParameter (processor, ParameterIds::typeD, 1.0f);
    ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, blockSize));

    auto buffer = TestSupport::makeSine (2, blockSize, hostRate, 440.0, 0.25f);
    TestSupport::processBlock (processor, buffer);

    EXPECT_EQ (processor.tapeProcessor.playingSlot, 6);
    EXPECT_EQ (processor.tapeProcessor.previousSlot, 6);
    EXPECT_EQ (processor.tapeProcessor.tapeStages[0].hysteresis[0].prevM, 0.0);   // type A never ran
}

TEST_F (SignalChain, PerBlockSettingsFollowTheKnobs)
{
    processSine();

    EXPECT_NEAR (processor.outputStageGain.getGainLinear(), 0.90268224f, 1.0e-6f);
    EXPECT_NEAR (compressorState().inputGainSmoother.target, 0.56234133f, 1.0e-6f);
    EXPECT_NEAR (compressorState().sideChainGainSmoother.target, 0.56234133f, 1.0e-6f);
    EXPECT_NEAR (compressorState().outputGainSmoother.target, 1.4125376f, 1.0e-6f);
    EXPECT_NEAR (compressorState().attackCoefficient, 0.09605845f, 1.0e-6f);
    EXPECT_FALSE (compressorState().sideChainEnabled);
    EXPECT_EQ (processor.driveGain.getGainLinear(), 1.0f);
    EXPECT_EQ (processor.wetGain.getGainLinear(), 1.0f);
    EXPECT_EQ (processor.dryGain.getGainLinear(), 0.0f);

    // Oversampled, the compressor's drive and make-up stay as they are, so its level below the
    // threshold does not depend on the oversampling.
    setParameter (processor, ParameterIds::oversampling, 1.0f);
    processSine();
    EXPECT_NEAR (compressorState().inputGainSmoother.target, 0.56234133f, 1.0e-6f);
    EXPECT_NEAR (compressorState().outputGainSmoother.target, 1.4125376f, 1.0e-6f);

    setParameter (processor, ParameterIds::drive, 6.0f);
    setParameter (processor, ParameterIds::mix, 25.0f);
    setParameter (processor, ParameterIds::output, 0.0f);

    // The drive glides to its new value before its gains take it.
    for (int b = 0; b < 12; ++b)
        processSine (b * blockSize);
    EXPECT_NEAR (processor.driveGain.getGainLinear(), 1.9952623f, 1.0e-6f);
    EXPECT_NEAR (processor.driveCompensation.getGainLinear(), 0.5011872f, 1.0e-6f);
    EXPECT_NEAR (processor.wetGain.getGainLinear(), 0.25f, 1.0e-6f);
    EXPECT_NEAR (processor.dryGain.getGainLinear(), 0.75f, 1.0e-6f);
    EXPECT_NEAR (processor.outputStageGain.getGainLinear(), 2.8545320f, 1.0e-5f);   // +9.1107 dB
}

TEST_F (SignalChain, SteppedCompressorKnobsPickFromTheirTables)
{
    struct Case { float ratioKnob; float ratio, saturation; };

    const Case ratios[] = { { 1, 2, 0 }, { 2, 4, 0 }, { 3, 8, 0 }, { 4, 20, 0 }, { 5, 16, 1 } };

    // Each setting glides to its step within 0.1 s, and then stands exactly on it.
    const auto processLongEnough = [this]
    {
        for (int b = 0; b < 12; ++b)
            processSine (b * blockSize);
    };

    for (const auto& c : ratios)
    {
        setParameter (processor, ParameterIds::ratio, c.ratioKnob);
        processLongEnough();
        EXPECT_EQ (compressorState().ratioSmoother.target, c.ratio) << c.ratioKnob;
        EXPECT_EQ (compressorState().saturationAmount, c.saturation) << c.ratioKnob;
    }

    // Coefficients 1 - exp(ln 0.01 / (48000 * ms / 1000)) in single precision, worked out separately.
    struct Time { float knob; float attack, release; };

    const Time times[] = {
        { 1, 0.09605843f, 0.00010371208f },
        { 5, 0.47250026f, 0.00042629242f },
        { 6, 1.0f,        0.0019170046f },
    };

    for (const auto& t : times)
    {
        setParameter (processor, ParameterIds::attack, t.knob);
        setParameter (processor, ParameterIds::release, t.knob);
        processLongEnough();
        EXPECT_NEAR (compressorState().attackCoefficient, t.attack, 1.0e-6f) << t.knob;
        EXPECT_NEAR (compressorState().releaseCoefficient, t.release, 1.0e-9f) << t.knob;
    }

    EXPECT_EQ (compressorState().attackCoefficient, 1.0f);
}

TEST_F (SignalChain, NeedleRisesTowardsRestWithoutReduction)
{
    setParameter (processor, ParameterIds::compressor, 0.0f);
    ASSERT_EQ (processor.gainReductionNeedle.load(), 0.0f);

    // 512 steps of needle = 0.9999 needle + 0.0001 rest, in single precision.
    processSine();
    EXPECT_NEAR (processor.gainReductionNeedle.load(), 0.048883893f, 1.0e-7f);

    // Oversampled, the needle moves once per block by 2 % of the way.
    QuorlinAudioProcessor oversampled;
    ASSERT_TRUE (TestSupport::prepareLoaded (oversampled, hostRate, blockSize));
    setParameter (oversampled, ParameterIds::compressor, 0.0f);
    setParameter (oversampled, ParameterIds::oversampling, 1.0f);
    auto buffer = TestSupport::makeSine (2, blockSize, hostRate, 440.0, 0.25f);
    TestSupport::processBlock (oversampled, buffer);
    EXPECT_NEAR (oversampled.gainReductionNeedle.load(), 0.02f * restingNeedle, 1.0e-6f);

    juce::AudioBuffer<float> empty (2, 0);
    TestSupport::processBlock (oversampled, empty);
    EXPECT_NEAR (oversampled.gainReductionNeedle.load(), 0.02f * restingNeedle, 1.0e-6f);
}

TEST_F (SignalChain, NeedleFallsWithGainReduction)
{
    setParameter (processor, ParameterIds::threshold, 25.0f);
    setParameter (processor, ParameterIds::ratio, 4.0f);

    for (int b = 0; b < 400; ++b)
        processSine (b * blockSize, 0.5f);

    EXPECT_LT (compressorState().gainReductionDb, -6.0f);
    EXPECT_LT (processor.gainReductionNeedle.load(), 0.5f);
    EXPECT_GE (processor.gainReductionNeedle.load(), 0.0f);
}

TEST_F (SignalChain, OversamplingChangeReportsLatencyInThatBlock)
{
    EXPECT_EQ (processor.getLatencySamples(), 0);

    const int expected[] = { 0, 9, 11, 13 };

    for (int index : { 2, 3, 1, 0 })
    {
        setParameter (processor, ParameterIds::oversampling, (float) index);
        processSine();
        EXPECT_EQ (processor.getLatencySamples(), expected[index]) << index;
        EXPECT_EQ (processor.tapeProcessor.tapeStages[0].oversamplingFactor, 1 << index);

        // The crossfade between the two choices ends before the next change.
        processSine();
        processSine();
    }

    setParameter (processor, ParameterIds::oversampling, 3.0f);
    processSine();
    EXPECT_EQ (processor.tapeProcessor.tapeStages[0].hysteresis[0].T, 1.0 / 384000.0);
    EXPECT_EQ (processor.tapeProcessor.tapeStages[9].hysteresis[1].T, 1.0 / 384000.0);

    processor.prepareToPlay (hostRate, blockSize);
    EXPECT_EQ (processor.getLatencySamples(), 13);
}

TEST_F (SignalChain, OversamplingChangeDuringACrossfadeWaitsForItsEnd)
{
    setParameter (processor, ParameterIds::oversampling, 1.0f);
    processSine (0, 0.25f, 480);
    EXPECT_EQ (processor.getLatencySamples(), 9);

    // 10 ms into the crossfade to 2x, 8x is chosen: it takes over when the 20 ms are up.
    setParameter (processor, ParameterIds::oversampling, 3.0f);
    processSine (480, 0.25f, 400);
    EXPECT_EQ (processor.getLatencySamples(), 9);
    EXPECT_EQ (processor.tapeProcessor.tapeStages[0].oversamplingFactor, 2);

    processSine (880, 0.25f, 80);
    processSine (960, 0.25f, 64);
    EXPECT_EQ (processor.getLatencySamples(), 13);
    EXPECT_EQ (processor.tapeProcessor.tapeStages[0].oversamplingFactor, 8);
}

TEST_F (SignalChain, StateCarriesOverOversamplingChangesAndPreparation)
{
    setParameter (processor, ParameterIds::threshold, 20.0f);

    for (int b = 0; b < 20; ++b)
        processSine (b * blockSize, 0.5f);

    auto& model = processor.tapeProcessor.tapeStages[0].hysteresis[0];
    const auto magnetisation = model.prevM;
    const auto reduction = compressorState().gainReduction;
    const auto needle = processor.gainReductionNeedle.load();
    ASSERT_NE (magnetisation, 0.0);
    ASSERT_GT (reduction, 0.0f);

    processor.releaseResources();
    processor.prepareToPlay (hostRate, blockSize);

    EXPECT_EQ (model.prevM, magnetisation);
    EXPECT_EQ (compressorState().gainReduction, reduction);
    EXPECT_EQ (processor.gainReductionNeedle.load(), needle);

    for (int index : { 2, 0, 3 })
    {
        setParameter (processor, ParameterIds::oversampling, (float) index);
        const auto output = processSine (0, 0.5f);
        EXPECT_TRUE (TestSupport::allFinite (output));
        EXPECT_NE (model.prevM, 0.0);
    }
}

TEST_F (SignalChain, MonoRunsTheLeftChainAndFeedsBothMeters)
{
    QuorlinAudioProcessor mono;
    ASSERT_TRUE (TestSupport::prepareLoaded (mono, hostRate, blockSize, 1));
    ASSERT_EQ (mono.getTotalNumOutputChannels(), 1);

    for (int index = 0; index < 4; ++index)
    {
        setParameter (mono, ParameterIds::oversampling, (float) index);
        auto buffer = TestSupport::makeSine (1, blockSize, hostRate, 440.0, 0.5f);
        TestSupport::processBlock (mono, buffer);

        EXPECT_TRUE (TestSupport::allFinite (buffer));
        EXPECT_GT (buffer.getMagnitude (0, 0, blockSize), 0.0f);
        EXPECT_GT (mono.outputLevelLeft.level.load(), 0.0f);
        EXPECT_EQ (mono.outputLevelLeft.level.load(), mono.outputLevelRight.level.load());
    }

    EXPECT_EQ (mono.tapeProcessor.tapeStages[0].hysteresis[1].prevM, 0.0);
}

TEST_F (SignalChain, OutputMetersFollowTheFinalOutput)
{
    auto output = processSine (0, 0.5f);

    // The envelope of the last block's output, from the start of the stream.
    for (int ch = 0; ch < 2; ++ch)
    {
        const auto release = 1.0f - std::exp (-1.0f / (48000.0f * 0.1f));
        float envelope = 0.0f;

        for (int i = 0; i < blockSize; ++i)
        {
            const auto x = std::abs (output.getSample (ch, i));
            envelope += (x - envelope) * (x > envelope ? 1.0f : release);
        }

        const auto& level = ch == 0 ? processor.outputLevelLeft : processor.outputLevelRight;
        EXPECT_FLOAT_EQ (level.level.load(), envelope);
        EXPECT_EQ (level.peak.load(), 0.0f);
    }

    EXPECT_EQ (processor.inputLevelLeft.level.load(), 0.0f);
    EXPECT_EQ (processor.inputLevelRight.level.load(), 0.0f);
}

TEST (EnvelopeFollowerTest, JumpsUpAndFallsToOnePercentInAbout460ms)
{
    EnvelopeFollower follower;
    follower.prepare (48000.0f);

    EXPECT_EQ (follower.process (1.0f), 1.0f);

    const auto samplesFor460ms = (int) (0.46 * 48000.0);
    float value = 1.0f;

    for (int i = 0; i < samplesFor460ms; ++i)
        value = follower.process (0.0f);

    EXPECT_NEAR (value, 0.01f, 0.0006f);
}

TEST_F (SignalChain, EmptyBlockLeavesACrossfadeWhereItIs)
{
    processSine();
    setParameter (processor, ParameterIds::typeA, 0.0f);
    setParameter (processor, ParameterIds::typeD, 1.0f);

    juce::AudioBuffer<float> empty (2, 0);
    TestSupport::processBlock (processor, empty);
    EXPECT_EQ (processor.tapeProcessor.currentSlot, 6);
    EXPECT_EQ (processor.tapeProcessor.playingSlot, 0);

    processSine (blockSize, 0.25f, 480);
    EXPECT_EQ (processor.tapeProcessor.playingSlot, 6);
    EXPECT_EQ (processor.tapeProcessor.previousSlot, 0);

    TestSupport::processBlock (processor, empty);
    processSine (blockSize + 480, 0.25f, 480);
    EXPECT_EQ (processor.tapeProcessor.previousSlot, 6);
}

TEST_F (SignalChain, FirstBlockFadesIn)
{
    const auto output = processSine (0, 0.5f);

    // Every gain starts from 0 and ramps over 20 ms (960 samples).
    EXPECT_LT (std::abs (output.getSample (0, 1)), 1.0e-4f);
    EXPECT_LT (output.getMagnitude (0, 0, 32), output.getMagnitude (0, blockSize - 32, 32));
}

TEST (SignalChainDefaults, SineComesOutCleanAtEveryRateAndOversampling)
{
    const double rates[] = { 44100.0, 48000.0, 96000.0 };

    for (const auto rate : rates)
    {
        for (int index = 0; index < 4; ++index)
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, os " + juce::String (index));
            QuorlinAudioProcessor processor;
            setParameter (processor, ParameterIds::oversampling, (float) index);
            ASSERT_TRUE (TestSupport::prepareLoaded (processor, rate, blockSize));

            const auto amplitude = juce::Decibels::decibelsToGain (-18.0f);
            const auto numBlocks = (int) (0.2 * rate) / blockSize;
            float peak = 0.0f;

            for (int b = 0; b < numBlocks; ++b)
            {
                auto buffer = TestSupport::makeSine (2, blockSize, rate, 1000.0, amplitude, b * blockSize);
                TestSupport::processBlock (processor, buffer);
                ASSERT_TRUE (TestSupport::allFinite (buffer)) << "block " << b;

                if (b > numBlocks / 2)
                    peak = juce::jmax (peak, buffer.getMagnitude (0, 0, blockSize), buffer.getMagnitude (1, 0, blockSize));
            }

            EXPECT_GT (peak, juce::Decibels::decibelsToGain (-40.0f));
            EXPECT_LT (peak, 1.0f);
        }
    }
}

// Oversampling changes aliasing, not the compressor: its times and its level are those of the
// knobs at every oversampling choice.
TEST (OversampledCompressor, RunsWithTheTimesOfTheRateItRunsAt)
{
    for (int index = 0; index < 4; ++index)
    {
        SCOPED_TRACE (index);
        QuorlinAudioProcessor processor;
        setParameter (processor, ParameterIds::oversampling, (float) index);
        ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, blockSize));

        auto buffer = TestSupport::makeSine (2, blockSize, hostRate, 440.0, 0.25f);
        TestSupport::processBlock (processor, buffer);

        // Attack knob 1 is 0.95 ms: 1 - exp(ln 0.01 / (rate * 0.95 ms)).
        const auto rate = hostRate * (1 << index);
        const auto& state = processor.compressor.getState();
        EXPECT_EQ (state.sampleRate, (float) rate);
        EXPECT_NEAR (state.attackCoefficient, 1.0 - std::exp (std::log (0.01) / (rate * 0.95e-3)), 1.0e-6);
        EXPECT_NEAR (state.inputGainSmoother.coefficient, 1.0 - std::exp (std::log (0.01) / (rate * 20.0e-3)), 1.0e-7);
    }

    // A change of oversampling while playing takes the new rate with it.
    QuorlinAudioProcessor processor;
    ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, blockSize));
    setParameter (processor, ParameterIds::oversampling, 3.0f);

    for (int b = 0; b < 12; ++b)
    {
        auto buffer = TestSupport::makeSine (2, blockSize, hostRate, 440.0, 0.25f, b * blockSize);
        TestSupport::processBlock (processor, buffer);
    }

    EXPECT_EQ (processor.compressor.getState().sampleRate, (float) (8.0 * hostRate));
    const auto release = 1.0 - std::exp (std::log (0.01) / (8.0 * hostRate * 925.0e-3));
    EXPECT_NEAR (processor.compressor.getState().releaseCoefficient, release, 0.01 * release);   // 1 - exp in single precision
}

TEST (OversampledCompressor, AttackAndReleaseTakeTheSameTimeAtEveryRate)
{
    struct Timing { int attack63 = -1, release63 = -1; };

    // The compressor as the processor sets it up for an oversampling choice (attack 0.95 ms,
    // release 400 ms, ratio 4), then run as the processor runs it: once per oversampled sample, on
    // a level held for all the oversampled samples of a host sample.
    const auto measure = [] (int index)
    {
        QuorlinAudioProcessor processor;
        setParameter (processor, ParameterIds::oversampling, (float) index);
        setParameter (processor, ParameterIds::ratio, 2.0f);
        setParameter (processor, ParameterIds::release, 4.0f);

        Timing timing;

        if (! TestSupport::prepareLoaded (processor, hostRate, blockSize))
            return timing;

        auto buffer = TestSupport::makeSine (2, blockSize, hostRate, 440.0, 0.25f);
        TestSupport::processBlock (processor, buffer);

        BrassockCompEngine::Compressor::Fet<float> fet;
        auto& state = fet.getState();
        state = processor.compressor.getState();
        state.gainReduction = 0.0f;
        state.ratioSmoother = { 4.0f, 4.0f, state.ratioSmoother.coefficient, 4.0f };

        for (auto* gain : { &state.inputGainSmoother, &state.outputGainSmoother })
            *gain = { 1.0f, 1.0f, gain->coefficient, 1.0f };

        // -14 dBFS asks for no reduction; 10 dB more asks for (-4 + 12) * 0.75 = 6 dB.
        const auto quiet = std::pow (10.0f, -14.0f / 20.0f), loud = std::pow (10.0f, -4.0f / 20.0f);
        constexpr int stepAt = 1000, backAt = 20000;

        for (int n = 0; n < 40000; ++n)
        {
            for (int k = 0; k < (1 << index); ++k)
            {
                auto left = n >= stepAt && n < backAt ? loud : quiet, right = left;
                fet.processStereo (left, right, 0.0f);
            }

            if (n >= stepAt && n < backAt && timing.attack63 < 0 && state.gainReduction >= 0.632f * 6.0f)
                timing.attack63 = n - stepAt;

            if (n >= backAt && timing.release63 < 0 && state.gainReduction <= 0.368f * 6.0f)
                timing.release63 = n - backAt;
        }

        return timing;
    };

    // A one-pole step with coefficient c reaches 63 % after ln 0.368 / ln (1 - c) steps: with
    // 99 % in 0.95 ms and in 400 ms at 48 kHz, 9.9 and 4169 host samples.
    for (int index = 0; index < 4; ++index)
    {
        SCOPED_TRACE (index);
        const auto timing = measure (index);
        EXPECT_NEAR (timing.attack63, 9.9, 1.0);
        EXPECT_NEAR (timing.release63, 4169.0, 42.0);
    }
}

TEST (OversampledCompressor, LevelBelowTheThresholdIsTheSameAtEveryOversampling)
{
    // A 1 kHz sine at -36 dBFS is far below the threshold: switching the compressor on only adds its
    // input and output gains, -5 dB and 1 - 0.4 * -5 = +3 dB at the threshold knob's 0.
    const auto rmsDb = [] (int index, bool compressorOn)
    {
        QuorlinAudioProcessor processor;
        setParameter (processor, ParameterIds::oversampling, (float) index);
        setParameter (processor, ParameterIds::compressor, compressorOn ? 1.0f : 0.0f);

        if (! TestSupport::prepareLoaded (processor, hostRate, blockSize))
            return 0.0;

        const auto amplitude = std::pow (10.0f, -36.0f / 20.0f);
        double sum = 0.0;
        int count = 0;

        for (int b = 0; b < 60; ++b)
        {
            auto buffer = TestSupport::makeSine (2, blockSize, hostRate, 1000.0, amplitude, b * blockSize);
            TestSupport::processBlock (processor, buffer);

            if (b >= 30)
                for (int i = 0; i < blockSize; ++i, ++count)
                    sum += (double) buffer.getSample (0, i) * buffer.getSample (0, i);
        }

        return 10.0 * std::log10 (sum / count);
    };

    for (int index = 0; index < 4; ++index)
    {
        SCOPED_TRACE (index);
        EXPECT_NEAR (rmsDb (index, true) - rmsDb (index, false), -2.0, 0.1);
    }
}

TEST (SignalChainAtLowRates, HighBandStaysStableWhereItsFrequencyPassesHalfTheRate)
{
    // At 30 kHz and below, 15 kHz is at or beyond half the host rate.
    for (const auto rate : { 22050.0, 30000.0, 32000.0 })
    {
        for (const auto gainDb : { -10.0f, 6.0f, 10.0f })
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, high band " + juce::String (gainDb) + " dB");
            QuorlinAudioProcessor processor;
            setParameter (processor, ParameterIds::highGain, gainDb);
            ASSERT_TRUE (TestSupport::prepareLoaded (processor, rate, blockSize));

            float peak = 0.0f;

            for (int b = 0; b < (int) (0.5 * rate) / blockSize; ++b)
            {
                auto buffer = TestSupport::makeSine (2, blockSize, rate, 1000.0, 0.125f, b * blockSize);
                TestSupport::processBlock (processor, buffer);
                ASSERT_TRUE (TestSupport::allFinite (buffer)) << "block " << b;
                peak = juce::jmax (peak, buffer.getMagnitude (0, 0, blockSize));
            }

            EXPECT_LT (peak, 1.0f);
            EXPECT_GT (peak, 0.01f);
        }
    }
}
