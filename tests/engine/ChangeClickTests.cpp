// What a mixing engineer hears when a setting moves while the audio plays: a host stepping or
// ramping a knob, a switch flipped and back, the oversampling choice changed, the host's bypass.
// A 150 Hz sine at -12 dBFS goes through the processor; the output is high-passed at 8 kHz (fourth
// order), where a steady sine through the strip has almost nothing but a click has most of its
// energy. The peak of that in the 300 ms after each change, relative to the output's peak, must
// stay within 10 dB of the same peak outside the changes, or below -70 dB.
//
// With VASTREL_RENDER_DIR set, every run is also written there as a WAV file, and its figures printed.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace
{
    using TestSupport::setParameter;

    constexpr double sineFrequency = 150.0;
    const float sineAmplitude = std::pow (10.0f, -12.0f / 20.0f);

    constexpr double changeInterval = 0.6;   // seconds between changes, and before the first
    constexpr double listenTime = 0.3;       // seconds after a change that count as "during" it
    constexpr double settleTime = 0.3;       // seconds at the start that count as neither

    struct Configuration
    {
        double sampleRate;
        int blockSize;
        int oversamplingIndex;
    };

    juce::String describe (const Configuration& c)
    {
        return juce::String (c.sampleRate / 1000.0, 1) + " kHz, blocks of " + juce::String (c.blockSize)
             + ", os " + juce::StringArray { "off", "2x", "4x", "8x" }[c.oversamplingIndex];
    }

    void PrintTo (const Configuration& c, std::ostream* os)   { *os << describe (c); }

    /** One change and its way back: a parameter stepped or ramped between two values, or the host's
        bypass, each at the change times in turn.
    */
    struct Change
    {
        const char* name;
        const char* parameterId;     // nullptr: the host's bypass
        std::vector<float> values;   // the value before the first change, then one per change
        bool ramp = false;           // over 50 ms, one new value per block
        std::vector<std::pair<const char*, float>> setting {};   // held for the whole run
    };

    /** A fourth-order Butterworth high-pass at 8 kHz, as two biquads in double precision. */
    class ClickFilter
    {
    public:
        explicit ClickFilter (double sampleRate)
        {
            const double qs[] = { 0.54119610014619701, 1.3065629648763764 };

            for (size_t s = 0; s < 2; ++s)
            {
                const auto w = juce::MathConstants<double>::twoPi * 8000.0 / sampleRate;
                const auto alpha = std::sin (w) / (2.0 * qs[s]);
                const auto cosW = std::cos (w);
                const auto a0 = 1.0 + alpha;
                stages[s] = { (1.0 + cosW) / 2.0 / a0, -(1.0 + cosW) / a0, (1.0 + cosW) / 2.0 / a0,
                              -2.0 * cosW / a0, (1.0 - alpha) / a0 };
            }
        }

        double process (double x) noexcept
        {
            for (auto& s : stages)
            {
                const auto y = s.b0 * x + s.z1;
                s.z1 = s.b1 * x - s.a1 * y + s.z2;
                s.z2 = s.b2 * x - s.a2 * y;
                x = y;
            }

            return x;
        }

    private:
        struct Stage { double b0, b1, b2, a1, a2, z1 = 0.0, z2 = 0.0; };
        std::array<Stage, 2> stages;
    };

    struct Measurement
    {
        float outputPeakDb = -200.0f, steadyDb = -200.0f, clickDb = -200.0f;
        bool finite = true;
    };

    float toDb (double x)   { return x > 0.0 ? (float) (20.0 * std::log10 (x)) : -200.0f; }

    void writeWav (const juce::AudioBuffer<float>& audio, double sampleRate, const juce::String& name)
    {
        const auto* folder = std::getenv ("VASTREL_RENDER_DIR");

        if (folder == nullptr)
            return;

        const auto file = juce::File (folder).getChildFile (juce::File::createLegalFileName (name) + ".wav");
        file.getParentDirectory().createDirectory();
        file.deleteFile();

        juce::WavAudioFormat wav;

        if (auto stream = file.createOutputStream())
            if (std::unique_ptr<juce::AudioFormatWriter> writer { wav.createWriterFor (stream.get(), sampleRate, (unsigned int) audio.getNumChannels(), 32, {}, 0) })
            {
                stream.release();
                writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
            }
    }

    Measurement measure (const Change& change, const Configuration& config)
    {
        QuorlinAudioProcessor processor;
        setParameter (processor, ParameterIds::oversampling, (float) config.oversamplingIndex);

        for (const auto& [id, value] : change.setting)
            setParameter (processor, id, value);

        if (change.parameterId != nullptr)
            setParameter (processor, change.parameterId, change.values.front());

        if (! TestSupport::prepareLoaded (processor, config.sampleRate, config.blockSize))
            return {};

        const auto rate = config.sampleRate;
        const auto numChanges = (int) change.values.size() - 1;
        const auto totalSamples = (int) (rate * changeInterval * (numChanges + 1));
        const auto changeSample = [&] (int c) { return (int) (rate * changeInterval * (c + 1)); };
        const auto rampSamples = (int) (rate * 0.05);

        juce::AudioBuffer<float> output (2, totalSamples);
        bool bypassed = change.parameterId == nullptr && change.values.front() != 0.0f;

        for (int start = 0; start < totalSamples; start += config.blockSize)
        {
            const auto numSamples = juce::jmin (config.blockSize, totalSamples - start);

            for (int c = 0; c < numChanges; ++c)
            {
                const auto from = change.values[(size_t) c], to = change.values[(size_t) c + 1];
                const auto elapsed = start - changeSample (c);

                if (elapsed < 0 || (c + 1 < numChanges && start >= changeSample (c + 1)))
                    continue;

                const auto progress = change.ramp ? juce::jmin (1.0f, (float) elapsed / (float) rampSamples) : 1.0f;

                if (change.parameterId == nullptr)
                    bypassed = to != 0.0f;
                else if (elapsed < config.blockSize || (change.ramp && elapsed < rampSamples + config.blockSize))
                    setParameter (processor, change.parameterId, from + (to - from) * progress);
            }

            auto block = TestSupport::makeSine (2, numSamples, rate, sineFrequency, sineAmplitude, start);

            TestSupport::processBlock (processor, block, bypassed);

            for (int ch = 0; ch < 2; ++ch)
                output.copyFrom (ch, start, block, ch, 0, numSamples);
        }

        Measurement m;
        m.finite = TestSupport::allFinite (output);

        const auto settleSamples = (int) (rate * settleTime);
        const auto listenSamples = (int) (rate * listenTime);
        double outputPeak = 0.0, steadyPeak = 0.0, clickPeak = 0.0;

        for (int ch = 0; ch < 2; ++ch)
        {
            ClickFilter filter (rate);

            for (int i = 0; i < totalSamples; ++i)
            {
                const auto x = (double) output.getSample (ch, i);
                const auto click = std::abs (filter.process (x));

                if (i < settleSamples)
                    continue;

                bool during = false;

                for (int c = 0; c < numChanges; ++c)
                    during = during || (i >= changeSample (c) && i < changeSample (c) + listenSamples);

                outputPeak = juce::jmax (outputPeak, std::abs (x));
                (during ? clickPeak : steadyPeak) = juce::jmax (during ? clickPeak : steadyPeak, click);
            }
        }

        m.outputPeakDb = toDb (outputPeak);
        m.steadyDb = toDb (steadyPeak) - m.outputPeakDb;
        m.clickDb = toDb (clickPeak) - m.outputPeakDb;

        const auto name = juce::String (change.name) + ", " + describe (config);
        writeWav (output, rate, name);

        if (std::getenv ("VASTREL_RENDER_DIR") != nullptr)
            std::cout << name << ": peak " << m.outputPeakDb << " dBFS, steady " << m.steadyDb
                      << " dBr, during " << m.clickDb << " dBr" << std::endl;

        return m;
    }

    const std::pair<const char*, float> eqGains[] = { { "knob3", 8.0f }, { "knob5", -6.0f }, { "knob6", 6.0f } };

    // Every parameter and switch, stepped or flipped and back; the continuous ones also ramped.
    const Change changes[] = {
        { "Drive step",          "knob1",  { 0.0f, 24.0f, 0.0f } },
        { "Drive ramp",          "knob1",  { 0.0f, 24.0f, 0.0f }, true },
        { "Threshold step",      "knob2",  { 0.0f, 25.0f, 0.0f } },
        { "Threshold ramp",      "knob2",  { 0.0f, 25.0f, 0.0f }, true },
        { "Low Cut step",        "knob4",  { 20.0f, 60.0f, 20.0f } },
        { "Low Cut ramp",        "knob4",  { 20.0f, 60.0f, 20.0f }, true },
        { "Low Gain step",       "knob3",  { -10.0f, 10.0f, -10.0f } },
        { "Mid Gain step",       "knob5",  { -10.0f, 10.0f, -10.0f } },
        { "High Gain step",      "knob6",  { -10.0f, 10.0f, -10.0f } },
        { "High Gain ramp",      "knob6",  { -10.0f, 10.0f, -10.0f }, true },
        { "Dry/Wet step",        "knob7",  { 0.0f, 100.0f, 0.0f } },
        { "Output step",         "knob8",  { -81.0f, 10.0f, -81.0f } },
        { "Ratio step",          "knob9",  { 1.0f, 5.0f, 1.0f }, false, { { "knob2", 20.0f } } },
        { "Attack step",         "knob10", { 1.0f, 6.0f, 1.0f }, false, { { "knob2", 20.0f } } },
        { "Release step",        "knob11", { 1.0f, 6.0f, 1.0f }, false, { { "knob2", 20.0f } } },
        { "Compressor off and on", "ComP power", { 1.0f, 0.0f, 1.0f } },
        { "EQ off and on",       "EqP power", { 1.0f, 0.0f, 1.0f }, false, { std::begin (eqGains), std::end (eqGains) } },
        { "Power off and on",    "poweR power", { 1.0f, 0.0f, 1.0f } },
        { "Host bypass on and off", nullptr, { 0.0f, 1.0f, 0.0f } },
        { "Type B and back",     "TypeB power", { 0.0f, 1.0f, 0.0f } },
        { "Type C and back",     "TypeC power", { 0.0f, 1.0f, 0.0f } },
        { "Type D and back",     "TypeD power", { 0.0f, 1.0f, 0.0f } },
    };

    const Change oversamplingChanges { "Oversampling off, 2x, 4x, 8x, off", "os", { 0.0f, 1.0f, 2.0f, 3.0f, 0.0f } };

    void expectClean (const Change& change, const Configuration& config)
    {
        const auto m = measure (change, config);
        const auto tolerated = juce::jmax (m.steadyDb + 10.0f, -70.0f);

        EXPECT_TRUE (m.finite) << change.name << ", " << describe (config);
        EXPECT_LE (m.clickDb, tolerated) << change.name << ", " << describe (config) << ": steady " << m.steadyDb
                                         << " dBr, during the changes " << m.clickDb << " dBr";
    }
}

class ChangeClicks : public ::testing::TestWithParam<Configuration> {};

TEST_P (ChangeClicks, EveryParameterAndSwitchMovesWithoutAClick)
{
    for (const auto& change : changes)
        expectClean (change, GetParam());
}

INSTANTIATE_TEST_SUITE_P (HostSettings, ChangeClicks,
                          ::testing::Values (Configuration { 44100.0, 64, 0 }, Configuration { 44100.0, 64, 2 },
                                             Configuration { 96000.0, 512, 0 }, Configuration { 96000.0, 512, 2 }),
                          [] (const auto& testInfo) { return juce::String ((int) testInfo.param.sampleRate).toStdString() + "Hz_"
                                                         + std::to_string (testInfo.param.blockSize) + "_os"
                                                         + std::to_string (1 << testInfo.param.oversamplingIndex); });

TEST (ChangeClicksOfOversampling, EveryChoiceInTurnWithoutAClick)
{
    for (const auto& config : { Configuration { 44100.0, 64, 0 }, Configuration { 96000.0, 512, 0 } })
        expectClean (oversamplingChanges, config);
}
