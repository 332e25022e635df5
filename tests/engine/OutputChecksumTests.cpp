// The whole processor's output, bit for bit, on a fixed input. Any change in how the work is
// scheduled must leave every bit of the audio and the meters as it is; the checksums change only
// when what the strip does to the sound changes.
//
// The values belong to the maths library they were taken with: tanh, pow and log10 enter the output,
// and glibc on x86-64 picks separate code for them on processors with FMA and AVX2, which rounds a
// few results differently. Elsewhere the test has nothing to compare against and is skipped.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace
{
    using TestSupport::setParameter;

    constexpr double hostRate = 48000.0;
    constexpr int maxBlockSize = 512;

    // Whole blocks, odd sizes and a single sample, so that the oversamplers and the two-lane model
    // meet every kind of block boundary.
    constexpr int blockSizes[] = { 512, 512, 97, 512, 1, 400, 512, 333 };

    const char* const typeSwitches[] = { "TypeA power", "TypeB power", "TypeC power", "TypeD power" };

    /** FNV-1a over the bit patterns of the values it is given. */
    class Checksum
    {
    public:
        void add (float value) noexcept
        {
            std::uint32_t bits;
            std::memcpy (&bits, &value, sizeof (bits));

            for (int byte = 0; byte < 4; ++byte)
            {
                hash ^= (bits >> (8 * byte)) & 0xffu;
                hash *= 0x100000001b3ull;
            }
        }

        std::uint64_t value() const noexcept   { return hash; }

    private:
        std::uint64_t hash = 0xcbf29ce484222325ull;
    };

    /** A loud exponential sweep from 30 Hz to 15 kHz with a little noise, the right channel a
        quarter of a cycle behind and with noise of its own.
    */
    class FixedInput
    {
    public:
        void fill (juce::AudioBuffer<float>& buffer)
        {
            constexpr double startFrequency = 30.0, endFrequency = 15000.0, sweepSeconds = 0.12;
            const auto growth = std::log (endFrequency / startFrequency) / sweepSeconds;

            for (int i = 0; i < buffer.getNumSamples(); ++i, ++position)
            {
                const auto t = std::fmod ((double) position / hostRate, sweepSeconds);
                const auto phase = juce::MathConstants<double>::twoPi * startFrequency * (std::exp (growth * t) - 1.0) / growth;

                for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                    buffer.setSample (ch, i, (float) (0.9 * std::sin (phase - 0.5 * juce::MathConstants<double>::pi * ch)
                                                      + 0.05 * (2.0 * noise[(size_t) ch].nextDouble() - 1.0)));
            }
        }

    private:
        juce::int64 position = 0;
        std::array<juce::Random, 2> noise { juce::Random (20231), juce::Random (77) };
    };

    struct Settings
    {
        float drive, threshold, ratio, attack, release, lowCut, lowGain, midGain, highGain, mix, output;
    };

    // One set per channel type, so that every ratio, the saturating one included, and several
    // attack and release steps drive the compressor somewhere.
    const Settings settingsForType[] = {
        { 12.0f, 18.0f, 5.0f, 3.0f, 2.0f, 40.0f,  4.0f, -3.0f,  5.0f,  80.0f, -4.0f },
        {  6.0f, 12.0f, 2.0f, 6.0f, 6.0f, 20.0f, -6.0f,  2.0f, -2.0f, 100.0f,  0.0f },
        { 18.0f, 22.0f, 4.0f, 1.0f, 4.0f, 55.0f,  8.0f,  0.0f,  3.0f,  50.0f, -8.0f },
        {  3.0f,  8.0f, 3.0f, 5.0f, 1.0f, 30.0f,  0.0f, -9.0f, 10.0f,  65.0f,  6.0f },
    };

    void apply (QuorlinAudioProcessor& processor, const Settings& s)
    {
        setParameter (processor, ParameterIds::drive, s.drive);
        setParameter (processor, ParameterIds::threshold, s.threshold);
        setParameter (processor, ParameterIds::ratio, s.ratio);
        setParameter (processor, ParameterIds::attack, s.attack);
        setParameter (processor, ParameterIds::release, s.release);
        setParameter (processor, ParameterIds::lowCut, s.lowCut);
        setParameter (processor, ParameterIds::lowGain, s.lowGain);
        setParameter (processor, ParameterIds::midGain, s.midGain);
        setParameter (processor, ParameterIds::highGain, s.highGain);
        setParameter (processor, ParameterIds::mix, s.mix);
        setParameter (processor, ParameterIds::output, s.output);
    }

    void selectType (QuorlinAudioProcessor& processor, int type)
    {
        for (int t = 0; t < 4; ++t)
            setParameter (processor, typeSwitches[t], t == type ? 1.0f : 0.0f);
    }

    /** Runs one block of the fixed input and adds the output and the published meters to the sum. */
    void runBlock (QuorlinAudioProcessor& processor, FixedInput& input, int numSamples, Checksum& sum,
                   void (*damage) (juce::AudioBuffer<float>&) = nullptr)
    {
        juce::AudioBuffer<float> buffer (processor.getTotalNumOutputChannels(), numSamples);
        input.fill (buffer);

        if (damage != nullptr)
            damage (buffer);

        TestSupport::processBlock (processor, buffer);

        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            for (int i = 0; i < numSamples; ++i)
                sum.add (buffer.getSample (ch, i));

        sum.add (processor.gainReductionNeedle.load());
        sum.add (processor.outputLevelLeft.level.load());
        sum.add (processor.outputLevelRight.level.load());
    }

    std::uint64_t steadyRun (int numChannels, int oversamplingIndex, int type)
    {
        QuorlinAudioProcessor processor;
        setParameter (processor, ParameterIds::oversampling, (float) oversamplingIndex);
        selectType (processor, type);
        apply (processor, settingsForType[type]);

        if (! TestSupport::prepareLoaded (processor, hostRate, maxBlockSize, numChannels))
            return 0;

        FixedInput input;
        Checksum sum;

        for (const auto numSamples : blockSizes)
            runBlock (processor, input, numSamples, sum);

        return sum.value();
    }

    // Samples far beyond full scale and one that is not a number: the tape models reject results
    // beyond their limit and start again from zero magnetisation.
    void damageWithSpikes (juce::AudioBuffer<float>& buffer)
    {
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        {
            buffer.setSample (ch, 10, 3.0e4f);
            buffer.setSample (ch, 11, -2.0e6f);
            buffer.setSample (ch, 40 + ch, std::numeric_limits<float>::quiet_NaN());
            buffer.setSample (ch, 90, 1.0e30f);
        }
    }

    /** Oversampling, channel type and settings change from block to block, and one block carries spikes. */
    std::uint64_t changingRun (int numChannels)
    {
        QuorlinAudioProcessor processor;
        selectType (processor, 0);
        apply (processor, settingsForType[0]);

        if (! TestSupport::prepareLoaded (processor, hostRate, maxBlockSize, numChannels))
            return 0;

        struct Step { int oversamplingIndex, type, settings, numSamples; bool spikes; };

        const Step steps[] = {
            { 0, 0, 0, 512, false }, { 3, 0, 0, 512, false }, { 3, 3, 3, 300, false }, { 1, 3, 1, 512, true },
            { 1, 1, 1, 512, false }, { 2, 2, 2, 77,  false }, { 0, 2, 2, 512, false }, { 3, 0, 0, 512, false },
            { 2, 1, 3, 512, true },  { 2, 1, 3, 512, false },
        };

        FixedInput input;
        Checksum sum;

        for (const auto& step : steps)
        {
            setParameter (processor, ParameterIds::oversampling, (float) step.oversamplingIndex);
            selectType (processor, step.type);
            apply (processor, settingsForType[step.settings]);
            runBlock (processor, input, step.numSamples, sum, step.spikes ? damageWithSpikes : nullptr);
        }

        return sum.value();
    }

    struct Expected
    {
        int numChannels, oversamplingIndex, type;
        std::uint64_t checksum;
    };

    const Expected steadyChecksums[] = {
        { 2, 0, 0, 0x225f2c6e45e38ac1ull }, { 2, 0, 1, 0x9fca70f96028ddf7ull }, { 2, 0, 2, 0x2ba12f3f6f51ad4aull }, { 2, 0, 3, 0x5c2a8b8c65efa6a4ull },
        { 2, 1, 0, 0xb3eed9b5c8ef412full }, { 2, 1, 1, 0x9f6dd0323fbdc930ull }, { 2, 1, 2, 0x5aaa4b9944bac97eull }, { 2, 1, 3, 0xc7ca50e3eca7ba8bull },
        { 2, 2, 0, 0x033dc9a2bcd35699ull }, { 2, 2, 1, 0x0ac0e798fc30883eull }, { 2, 2, 2, 0x05b548009007940cull }, { 2, 2, 3, 0x156cc8d479115b75ull },
        { 2, 3, 0, 0xc11ee2548c62c76full }, { 2, 3, 1, 0xe90241a7ad7a1089ull }, { 2, 3, 2, 0xf966895910175eecull }, { 2, 3, 3, 0x7bf59ba44cbcacb2ull },
        { 1, 0, 0, 0xa6ac66a5842952b8ull }, { 1, 0, 1, 0x1d272fa1dd8c0a29ull }, { 1, 0, 2, 0xfe1b671fc8785e25ull }, { 1, 0, 3, 0xfcb46604ed8d6fb1ull },
        { 1, 1, 0, 0x61480ad31546c1f8ull }, { 1, 1, 1, 0x8b5393ad6d5c8802ull }, { 1, 1, 2, 0x4596df1ad9cc41e4ull }, { 1, 1, 3, 0xd6f54cc4f804e76cull },
        { 1, 2, 0, 0x79453a4453d2d0a4ull }, { 1, 2, 1, 0x69ab6526a6bbc091ull }, { 1, 2, 2, 0xacec64a5be6fbcb5ull }, { 1, 2, 3, 0x5684a86f65a99c79ull },
        { 1, 3, 0, 0x37556fc7ab5e8c01ull }, { 1, 3, 1, 0x0b345d9508fe2394ull }, { 1, 3, 2, 0xbd156ca5827507a4ull }, { 1, 3, 3, 0xb94ad2d48645eccfull },
    };

    const std::uint64_t changingChecksums[] = { 0x2d42fa87656082eaull, 0xa6af6bbb1f9c39b7ull };   // stereo, mono

    bool onTheRecordingPlatform()
    {
       #if defined (__x86_64__) && defined (__GLIBC__)
        return __builtin_cpu_supports ("fma") && __builtin_cpu_supports ("avx2");
       #else
        return false;
       #endif
    }

    std::string hex (std::uint64_t value)
    {
        char text[24];
        std::snprintf (text, sizeof (text), "0x%016" PRIx64 "ull", value);
        return text;
    }
}

TEST (OutputChecksums, EveryOversamplingAndChannelTypeInStereoAndMono)
{
    if (! onTheRecordingPlatform())
        GTEST_SKIP() << "checksums were taken with glibc's FMA code on x86-64";

    for (const auto& e : steadyChecksums)
        EXPECT_EQ (hex (steadyRun (e.numChannels, e.oversamplingIndex, e.type)), hex (e.checksum))
            << (e.numChannels == 2 ? "stereo" : "mono") << ", os " << e.oversamplingIndex << ", type " << "ABCD"[e.type];
}

TEST (OutputChecksums, ChangesOfOversamplingTypeAndSettingsWithSpikes)
{
    if (! onTheRecordingPlatform())
        GTEST_SKIP() << "checksums were taken with glibc's FMA code on x86-64";

    EXPECT_EQ (hex (changingRun (2)), hex (changingChecksums[0])) << "stereo";
    EXPECT_EQ (hex (changingRun (1)), hex (changingChecksums[1])) << "mono";
}
