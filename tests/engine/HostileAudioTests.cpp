// What a misbehaving host or a plug-in before ours can feed the processor: samples that are not
// finite or absurdly large, and parameter values that are not numbers. None of it may leave the
// processor silent, loud or stuck afterwards.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace
{
    using TestSupport::setParameter;

    constexpr double hostRate = 48000.0;
    constexpr int blockSize = 512;

    // -18 dBFS peak.
    const float testAmplitude = std::pow (10.0f, -18.0f / 20.0f);

    struct ChannelType
    {
        const char* name;
        const char* switchId;
    };

    const ChannelType channelTypes[] = {
        { "Type A", "TypeA power" }, { "Type B", "TypeB power" }, { "Type C", "TypeC power" }, { "Type D", "TypeD power" },
    };

    struct BadInput
    {
        const char* name;
        float value;
        bool wholeBlock;
    };

    constexpr auto notANumber = std::numeric_limits<float>::quiet_NaN();
    constexpr auto infinity = std::numeric_limits<float>::infinity();

    const BadInput badInputs[] = {
        { "one NaN sample",        notANumber,       false }, { "a block of NaN",        notANumber,       true },
        { "one +Inf sample",       infinity,  false }, { "a block of +Inf",       infinity,  true },
        { "one -Inf sample",       -infinity, false }, { "a block of -Inf",       -infinity, true },
        { "one 1e30 sample",       1.0e30f,   false }, { "a block of 1e30",       1.0e30f,   true },
        { "one -1e30 sample",      -1.0e30f,  false }, { "a block of -1e30",      -1.0e30f,  true },
        { "one denormal sample",   1.0e-40f,  false }, { "a block of denormals",  1.0e-40f,  true },
        { "one float-max sample",  std::numeric_limits<float>::max(), false },
    };

    /** A processor at one channel type and oversampling choice, fed a steady sine. */
    class SineRun
    {
    public:
        SineRun (const ChannelType& type, int oversamplingIndex, int numChannels)
        {
            EXPECT_TRUE (TestSupport::prepareLoaded (processor, hostRate, blockSize, numChannels));

            for (const auto& other : channelTypes)
                setParameter (processor, other.switchId, other.switchId == type.switchId ? 1.0f : 0.0f);

            setParameter (processor, ParameterIds::oversampling, (float) oversamplingIndex);
        }

        /** Runs the sine on for the given time; returns the output level in dB over its last half
            second, or NaN when any output sample was not finite.
        */
        float runSine (double seconds)
        {
            const auto numBlocks = (int) (seconds * hostRate) / blockSize;
            const auto measuredBlocks = (int) (0.5 * hostRate) / blockSize;
            double sumOfSquares = 0.0;
            int measuredSamples = 0;
            bool finite = true;

            for (int b = 0; b < numBlocks; ++b)
            {
                auto buffer = TestSupport::makeSine (processor.getTotalNumOutputChannels(), blockSize, hostRate,
                                                     440.0, testAmplitude, position);
                position += blockSize;
                TestSupport::processBlock (processor, buffer);
                finite = finite && TestSupport::allFinite (buffer);

                if (b >= numBlocks - measuredBlocks)
                {
                    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                        for (int i = 0; i < blockSize; ++i)
                            sumOfSquares += juce::square ((double) buffer.getSample (ch, i));

                    measuredSamples += blockSize * buffer.getNumChannels();
                }
            }

            if (! finite)
                return notANumber;

            return (float) (10.0 * std::log10 (sumOfSquares / measuredSamples));
        }

        void feed (const BadInput& bad)
        {
            auto buffer = TestSupport::makeSine (processor.getTotalNumOutputChannels(), blockSize, hostRate,
                                                 440.0, testAmplitude, position);
            position += blockSize;

            for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            {
                if (bad.wholeBlock)
                    juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), bad.value, blockSize);
                else
                    buffer.setSample (ch, blockSize / 3, bad.value);
            }

            TestSupport::processBlock (processor, buffer);
        }

        QuorlinAudioProcessor processor;
        int position = 0;
    };

    void expectRecoveryFromEveryBadInput (const ChannelType& type, int oversamplingIndex, int numChannels)
    {
        SineRun fresh (type, oversamplingIndex, numChannels);
        const auto freshLevel = fresh.runSine (2.5);
        ASSERT_TRUE (std::isfinite (freshLevel));

        SineRun run (type, oversamplingIndex, numChannels);
        run.runSine (0.25);

        for (const auto& bad : badInputs)
        {
            run.feed (bad);
            const auto level = run.runSine (2.0);

            EXPECT_TRUE (std::isfinite (level)) << type.name << ", os " << oversamplingIndex << ", after " << bad.name;
            EXPECT_NEAR (level, freshLevel, 1.0f) << type.name << ", os " << oversamplingIndex << ", after " << bad.name;
        }
    }

    void setFromHost (QuorlinAudioProcessor& processor, const char* id, float normalisedValue)
    {
        // The VST3 client hands the host's value over unchecked.
        processor.apvts->getParameter (id)->setValueNotifyingHost (normalisedValue);
    }
}

class HostileAudioAtEverySetting : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P (HostileAudioAtEverySetting, RecoversFromBadSamples)
{
    const auto [type, oversamplingIndex] = GetParam();
    expectRecoveryFromEveryBadInput (channelTypes[type], oversamplingIndex, 2);
}

INSTANTIATE_TEST_SUITE_P (ChannelTypesAndOversampling, HostileAudioAtEverySetting,
                          ::testing::Combine (::testing::Range (0, 4), ::testing::Range (0, 4)),
                          [] (const auto& testInfo)
                          {
                              return std::string ("Type") + "ABCD"[std::get<0> (testInfo.param)]
                                   + "_os" + std::to_string (1 << std::get<1> (testInfo.param));
                          });

TEST (HostileAudio, MonoRecoversFromBadSamples)
{
    expectRecoveryFromEveryBadInput (channelTypes[0], 3, 1);
    expectRecoveryFromEveryBadInput (channelTypes[3], 0, 1);
}

TEST (HostileAudio, PreparationAfterBadSamplesPlaysAtTheFreshLevel)
{
    SineRun fresh (channelTypes[0], 2, 2);
    const auto freshLevel = fresh.runSine (2.5);

    SineRun run (channelTypes[0], 2, 2);
    run.runSine (0.25);
    run.feed (badInputs[1]);
    run.processor.releaseResources();
    run.processor.prepareToPlay (hostRate, blockSize);

    EXPECT_NEAR (run.runSine (2.0), freshLevel, 1.0f);
}

TEST (HostileAudio, SwitchValuesThatAreNotNumbersCountAsOff)
{
    SineRun run (channelTypes[0], 0, 2);
    setFromHost (run.processor, "poweR power", notANumber);

    // Power off: the block passes untouched.
    auto buffer = TestSupport::makeSine (2, blockSize, hostRate, 440.0, testAmplitude);
    const auto input = buffer;
    TestSupport::processBlock (run.processor, buffer);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < blockSize; ++i)
            ASSERT_EQ (buffer.getSample (ch, i), input.getSample (ch, i));

    // A type switch that is not a number does not take the channel away from Type A.
    setFromHost (run.processor, "poweR power", 1.0f);
    setFromHost (run.processor, "TypeD power", notANumber);
    run.runSine (0.05);
    EXPECT_EQ (run.processor.tapeProcessor.currentSlot, tapeSlot (tape0, speed0));
}

TEST (HostileAudio, KnobValuesThatAreNotNumbersLeaveTheirSettingsAsTheyWere)
{
    SineRun fresh (channelTypes[0], 1, 2);
    const auto freshLevel = fresh.runSine (2.0);

    SineRun run (channelTypes[0], 1, 2);
    setParameter (run.processor, ParameterIds::ratio, 3.0f);
    setParameter (run.processor, ParameterIds::attack, 2.0f);
    run.runSine (0.05);
    const auto& state = run.processor.compressor.getState();
    const auto ratioTarget = state.ratioSmoother.target;
    const auto attack = state.attackCoefficient;
    const auto release = state.releaseCoefficient;

    for (const auto* id : { "knob1", "knob2", "knob3", "knob4", "knob5", "knob6", "knob7", "knob8",
                            "knob9", "knob10", "knob11", "os" })
        setFromHost (run.processor, id, notANumber);

    EXPECT_TRUE (std::isfinite (run.runSine (0.5)));
    EXPECT_EQ (state.ratioSmoother.target, ratioTarget);
    EXPECT_EQ (state.attackCoefficient, attack);
    EXPECT_EQ (state.releaseCoefficient, release);

    // Back to numbers: the strip plays at its normal level again.
    for (const auto* id : { "knob1", "knob2", "knob3", "knob4", "knob5", "knob6", "knob7", "knob8",
                            "knob9", "knob10", "knob11", "os" })
        setFromHost (run.processor, id, run.processor.apvts->getParameter (id)->getDefaultValue());

    setParameter (run.processor, ParameterIds::oversampling, 1.0f);
    EXPECT_NEAR (run.runSine (2.0), freshLevel, 1.0f);
}

TEST (HostileAudio, FullDriveKeepsTheLargestSamplesFinite)
{
    SineRun fresh (channelTypes[1], 3, 2);
    setParameter (fresh.processor, ParameterIds::drive, 24.0f);
    const auto freshLevel = fresh.runSine (2.5);

    SineRun run (channelTypes[1], 3, 2);
    setParameter (run.processor, ParameterIds::drive, 24.0f);
    run.runSine (0.25);
    run.feed ({ "a block of float-max", std::numeric_limits<float>::max(), true });

    EXPECT_NEAR (run.runSine (2.0), freshLevel, 1.0f);
}
