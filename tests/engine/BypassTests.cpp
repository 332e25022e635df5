// The strip's power switch and the host's bypass pass the input as a host's delay compensation
// expects: delayed by exactly the latency the plug-in reports, which bypassing never changes.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{
    using TestSupport::setParameter;

    constexpr double hostRate = 44100.0;
    constexpr int blockSize = 256;
    constexpr int latencies[] = { 0, 9, 11, 13 };

    enum class Bypass { powerSwitch, host };

    /** Feeds a processor a running sine block by block, through processBlock or the host's
        bypassed processing, and keeps what went in and what came out.
    */
    class Stream
    {
    public:
        explicit Stream (QuorlinAudioProcessor& p) : processor (p) {}

        void run (int numBlocks, bool hostBypassed)
        {
            for (int b = 0; b < numBlocks; ++b)
            {
                auto block = TestSupport::makeSine (2, blockSize, hostRate, 187.0, 0.4f, position);
                input.setSize (2, position + blockSize, true);
                output.setSize (2, position + blockSize, true);

                for (int ch = 0; ch < 2; ++ch)
                    input.copyFrom (ch, position, block, ch, 0, blockSize);

                TestSupport::processBlock (processor, block, hostBypassed);

                for (int ch = 0; ch < 2; ++ch)
                    output.copyFrom (ch, position, block, ch, 0, blockSize);

                position += blockSize;
            }
        }

        /** Whether the output from a sample on is the input of delay samples earlier, bit for bit. */
        ::testing::AssertionResult isDelayedInputFrom (int start, int delay) const
        {
            for (int ch = 0; ch < 2; ++ch)
                for (int i = start; i < position; ++i)
                    if (output.getSample (ch, i) != input.getSample (ch, i - delay))
                        return ::testing::AssertionFailure() << "channel " << ch << ", sample " << i << ": "
                                                             << output.getSample (ch, i) << " instead of "
                                                             << input.getSample (ch, i - delay);

            return ::testing::AssertionSuccess();
        }

        int position = 0;

    private:
        QuorlinAudioProcessor& processor;
        juce::AudioBuffer<float> input, output;
    };

    void setBypass (QuorlinAudioProcessor& processor, Bypass kind, bool on, bool& hostBypassed)
    {
        if (kind == Bypass::powerSwitch)
            setParameter (processor, ParameterIds::power, on ? 0.0f : 1.0f);
        else
            hostBypassed = on;
    }

    const char* nameOf (Bypass kind)   { return kind == Bypass::powerSwitch ? "power switch" : "host bypass"; }

    // 20 ms of crossfade at 44.1 kHz, in whole blocks.
    constexpr int blocksForAFade = (882 + blockSize - 1) / blockSize;
}

TEST (Bypass, PassesTheInputDelayedByTheReportedLatencyAtEveryOversampling)
{
    for (const auto kind : { Bypass::powerSwitch, Bypass::host })
    {
        for (int index = 0; index < 4; ++index)
        {
            SCOPED_TRACE (juce::String (nameOf (kind)) + ", os " + juce::String (index));
            QuorlinAudioProcessor processor;
            setParameter (processor, ParameterIds::oversampling, (float) index);
            ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, blockSize));

            Stream stream (processor);
            bool hostBypassed = false;
            stream.run (8, hostBypassed);

            setBypass (processor, kind, true, hostBypassed);
            stream.run (blocksForAFade, hostBypassed);
            const auto bypassedFrom = stream.position;
            stream.run (8, hostBypassed);

            EXPECT_EQ (processor.getLatencySamples(), latencies[index]);
            EXPECT_TRUE (stream.isDelayedInputFrom (bypassedFrom, latencies[index]));
        }
    }
}

TEST (Bypass, FromTheStartAndThroughOversamplingChanges)
{
    for (const auto kind : { Bypass::powerSwitch, Bypass::host })
    {
        SCOPED_TRACE (nameOf (kind));
        QuorlinAudioProcessor processor;
        bool hostBypassed = false;
        setBypass (processor, kind, true, hostBypassed);
        ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, blockSize));

        Stream stream (processor);
        stream.run (4, hostBypassed);
        EXPECT_TRUE (stream.isDelayedInputFrom (0, 0));

        // Each choice reports its latency at once and passes the input at it once its delay has
        // crossfaded from the old one.
        for (const auto index : { 3, 1, 2, 0 })
        {
            setParameter (processor, ParameterIds::oversampling, (float) index);
            stream.run (1, hostBypassed);
            EXPECT_EQ (processor.getLatencySamples(), latencies[index]) << index;

            stream.run (blocksForAFade, hostBypassed);
            const auto settledFrom = stream.position;
            stream.run (4, hostBypassed);
            EXPECT_TRUE (stream.isDelayedInputFrom (settledFrom, latencies[index])) << index;
        }
    }
}

TEST (Bypass, TheStripComesBackAfterTheHostBypass)
{
    // The host's bypass and the power switch are two separate things: either one bypasses, and the
    // strip plays again once neither does.
    QuorlinAudioProcessor processor;
    setParameter (processor, ParameterIds::oversampling, 1.0f);
    ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, blockSize));

    Stream stream (processor);
    stream.run (4, true);
    setParameter (processor, ParameterIds::power, 0.0f);
    stream.run (4, false);

    const auto stillBypassedFrom = stream.position - 2 * blockSize;
    EXPECT_TRUE (stream.isDelayedInputFrom (stillBypassedFrom, 9));

    setParameter (processor, ParameterIds::power, 1.0f);
    const auto playingFrom = stream.position + blocksForAFade * blockSize;
    stream.run (blocksForAFade + 4, false);
    EXPECT_FALSE (stream.isDelayedInputFrom (playingFrom, 9));
    EXPECT_GT (processor.outputLevelLeft.level.load(), 0.0f);
}

TEST (Bypass, OversamplingChangedTwiceWithinACrossfadeMovesTheDelaySmoothly)
{
    // The host's automation of the oversampling choice while the strip is bypassed: the bypassed
    // signal moves from one delay to the next without a jump, however close the changes come.
    for (const auto kind : { Bypass::powerSwitch, Bypass::host })
    {
        for (const auto gap : { 64, 128, 320, 640 })
        {
            SCOPED_TRACE (juce::String (nameOf (kind)) + ", second change after " + juce::String (gap) + " samples");
            QuorlinAudioProcessor processor;
            bool hostBypassed = false;
            setBypass (processor, kind, true, hostBypassed);
            ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, 64));

            float largestInputStep = 0.0f, largestOutputStep = 0.0f, lastInput = 0.0f, lastOutput = 0.0f;

            for (int start = 0; start < 8192; start += 64)
            {
                if (start == 2048)
                    setParameter (processor, ParameterIds::oversampling, 3.0f);

                if (start == 2048 + gap)
                    setParameter (processor, ParameterIds::oversampling, 1.0f);

                auto block = TestSupport::makeSine (2, 64, hostRate, 150.0, 0.25f, start);
                const auto input = block;

                TestSupport::processBlock (processor, block, hostBypassed);

                for (int i = 0; i < 64; ++i)
                {
                    if (start + i > 0)
                    {
                        largestInputStep = juce::jmax (largestInputStep, std::abs (input.getSample (0, i) - lastInput));
                        largestOutputStep = juce::jmax (largestOutputStep, std::abs (block.getSample (0, i) - lastOutput));
                    }

                    lastInput = input.getSample (0, i);
                    lastOutput = block.getSample (0, i);
                }
            }

            EXPECT_LT (largestOutputStep, 1.1f * largestInputStep);
            EXPECT_EQ (processor.getLatencySamples(), 9);
        }
    }
}
