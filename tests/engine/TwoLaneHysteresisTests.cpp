// The two-lane form of the tape model against the scalar model, compared bit for bit: every output
// sample and every state value must be the same as two HysteresisProcessing objects give when each
// runs its own channel through processSample.

#include "engine/TwoLaneHysteresis.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace
{
    struct TapeSettings
    {
        float width, saturation, drive;
    };

    // Every slot's width, saturation and drive.
    const TapeSettings slotSettings[] = {
        { 0.65f, 0.7f, 0.82f }, { 0.7f, 0.6f, 0.82f }, { 0.7f, 0.6f, 0.8f },  { 0.65f, 0.7f, 0.82f }, { 0.1f, 0.7f, 0.82f },
        { 0.65f, 0.7f, 0.82f }, { 0.1f, 0.6f, 0.82f }, { 0.1f, 0.7f, 1.15f }, { 0.1f, 0.7f, 1.15f },  { 0.1f, 0.7f, 1.15f },
    };

    constexpr double hostRate = 48000.0;
    constexpr double highestModelRate = 8 * hostRate;
    constexpr auto notANumber = std::numeric_limits<float>::quiet_NaN();
    constexpr auto infinity = std::numeric_limits<float>::infinity();

    HysteresisProcessing makeModel (const TapeSettings& settings, double sampleRate, int iterations = 4)
    {
        HysteresisProcessing model;
        model.setParameters ((double) settings.width, (double) settings.saturation, (double) settings.drive);
        model.setSolver (iterations);
        model.setSampleRate (sampleRate);
        return model;
    }

    std::uint32_t bitsOf (float x)    { std::uint32_t b; std::memcpy (&b, &x, sizeof (b)); return b; }
    std::uint64_t bitsOf (double x)   { std::uint64_t b; std::memcpy (&b, &x, sizeof (b)); return b; }

    /** A loud exponential sweep, from 20 Hz to near half the rate within the length. */
    std::vector<float> sweep (size_t length, double sampleRate, double amplitude)
    {
        std::vector<float> samples (length);
        const auto endFrequency = 0.45 * sampleRate, startFrequency = 20.0;
        const auto seconds = (double) length / sampleRate;
        const auto growth = std::log (endFrequency / startFrequency) / seconds;

        for (size_t i = 0; i < length; ++i)
        {
            const auto t = (double) i / sampleRate;
            samples[i] = (float) (amplitude * std::sin (juce::MathConstants<double>::twoPi * startFrequency
                                                        * (std::exp (growth * t) - 1.0) / growth));
        }

        return samples;
    }

    std::vector<float> noise (size_t length, double amplitude, juce::int64 seed)
    {
        juce::Random random (seed);
        std::vector<float> samples (length);

        for (auto& x : samples)
            x = (float) (amplitude * (2.0 * random.nextDouble() - 1.0));

        return samples;
    }

    /** Two scalar models and their two-lane twins, fed the same channels and compared after every chunk. */
    class LanesAgainstScalar
    {
    public:
        LanesAgainstScalar (HysteresisProcessing leftModel, HysteresisProcessing rightModel)
            : scalar { leftModel, rightModel }, lanes { leftModel, rightModel }
        {
        }

        /** Runs a chunk through both forms and reports the first sample or state value that differs. */
        void run (const std::vector<float>& left, const std::vector<float>& right)
        {
            ASSERT_EQ (left.size(), right.size());
            ASSERT_TRUE (TwoLaneHysteresis::canRunTogether (lanes[0], lanes[1]));

            auto laneLeft = left, laneRight = right;
            TwoLaneHysteresis (lanes[0], lanes[1]).process (laneLeft.data(), laneRight.data(), left.size());

            for (size_t i = 0; i < left.size(); ++i)
            {
                const auto expectedLeft = (float) scalar[0].processSample ((double) left[i]);
                const auto expectedRight = (float) scalar[1].processSample ((double) right[i]);

                ASSERT_EQ (bitsOf (laneLeft[i]), bitsOf (expectedLeft)) << "left sample " << position + i << ": " << laneLeft[i] << " vs " << expectedLeft;
                ASSERT_EQ (bitsOf (laneRight[i]), bitsOf (expectedRight)) << "right sample " << position + i << ": " << laneRight[i] << " vs " << expectedRight;
            }

            position += left.size();
            expectSameState();
        }

        /** Runs a chunk through the lane models' own processSample, as a mono block or a model that
            cannot share the lanes would, so that the next chunk takes up their state from there.
        */
        void runOnTheirOwn (const std::vector<float>& left, const std::vector<float>& right)
        {
            for (size_t i = 0; i < left.size(); ++i)
            {
                const auto expectedLeft = scalar[0].processSample ((double) left[i]);
                const auto expectedRight = scalar[1].processSample ((double) right[i]);
                ASSERT_EQ (bitsOf (lanes[0].processSample ((double) left[i])), bitsOf (expectedLeft));
                ASSERT_EQ (bitsOf (lanes[1].processSample ((double) right[i])), bitsOf (expectedRight));
            }

            position += left.size();
        }

        void expectSameState() const
        {
            for (size_t ch = 0; ch < 2; ++ch)
            {
                EXPECT_EQ (bitsOf (lanes[ch].prevM), bitsOf (scalar[ch].prevM)) << "channel " << ch << " after " << position;
                EXPECT_EQ (bitsOf (lanes[ch].prevH), bitsOf (scalar[ch].prevH)) << "channel " << ch << " after " << position;
                EXPECT_EQ (bitsOf (lanes[ch].prevHdot), bitsOf (scalar[ch].prevHdot)) << "channel " << ch << " after " << position;
            }
        }

        /** Gives both forms of both channels a new model rate, as an oversampling change does. */
        void setSampleRate (double sampleRate)
        {
            for (auto* models : { &scalar, &lanes })
                for (auto& model : *models)
                    model.setSampleRate (sampleRate);
        }

        std::array<HysteresisProcessing, 2> scalar, lanes;
        size_t position = 0;
    };

    std::vector<float> slice (const std::vector<float>& samples, size_t start, size_t length)
    {
        return { samples.begin() + (std::ptrdiff_t) start, samples.begin() + (std::ptrdiff_t) (start + length) };
    }
}

TEST (TwoLaneHysteresis, MatchesTheScalarModelForEverySlotAtTheHostAndHighestRates)
{
    for (const auto sampleRate : { hostRate, highestModelRate })
    {
        const auto length = sampleRate == hostRate ? (size_t) 4096 : (size_t) 8192;

        // Loud enough to drive every slot deep into saturation, after any drive and input gain.
        const auto loudSweep = sweep (length, sampleRate, 4.0);
        const auto loudNoise = noise (length, 2.0, 1234);

        for (int slot = 0; slot < 10; ++slot)
        {
            SCOPED_TRACE ("slot " + std::to_string (slot) + " at " + std::to_string ((int) sampleRate) + " Hz");

            // The same settings in both lanes, and different ones, so that no lane borrows the other's.
            const auto& settings = slotSettings[slot];
            const auto& otherSettings = slotSettings[(slot + 3) % 10];

            LanesAgainstScalar sameSlot (makeModel (settings, sampleRate), makeModel (settings, sampleRate));
            sameSlot.run (loudSweep, loudNoise);

            LanesAgainstScalar twoSlots (makeModel (settings, sampleRate), makeModel (otherSettings, sampleRate));
            twoSlots.run (loudNoise, loudSweep);
        }
    }
}

TEST (TwoLaneHysteresis, CarriesItsStateAcrossBlocksOversamplingChangesAndTheScalarPath)
{
    const auto signal = sweep (6000, highestModelRate, 1.5);
    const auto other = noise (6000, 0.8, 99);

    struct Chunk { size_t length; double sampleRate; bool inLanes; };

    const Chunk chunks[] = {
        { 1, hostRate, true }, { 7, hostRate, true }, { 512, hostRate, true }, { 333, 8 * hostRate, true },
        { 2, 8 * hostRate, true }, { 100, 8 * hostRate, false }, { 924, 2 * hostRate, true }, { 1, 4 * hostRate, true },
        { 2048, 4 * hostRate, true }, { 1000, hostRate, false }, { 1072, 8 * hostRate, true },
    };

    LanesAgainstScalar models (makeModel (slotSettings[0], hostRate), makeModel (slotSettings[6], hostRate));
    size_t start = 0;

    for (const auto& chunk : chunks)
    {
        models.setSampleRate (chunk.sampleRate);
        const auto left = slice (signal, start, chunk.length), right = slice (other, start, chunk.length);

        if (chunk.inLanes)
            models.run (left, right);
        else
            models.runOnTheirOwn (left, right);

        start += chunk.length;
    }

    ASSERT_EQ (start, signal.size());
}

TEST (TwoLaneHysteresis, RejectsTheSameResultsAsTheScalarModel)
{
    struct Case
    {
        const char* what;
        float left, right;
    };

    // Each case is a short burst in the middle of a signal. The model saturates through a finite burst
    // and blows up on the fall back from it; a field that is not finite blows it up at once. Either
    // way a result is rejected: in the left lane, the right or both.
    const Case cases[] = {
        { "large field, left lane only",   3.0e4f,     0.5f },
        { "large field, right lane only",  0.5f,       -2.0e6f },
        { "large fields in both lanes",    1.0e30f,    -1.0e30f },
        { "NaN left, infinity right",      notANumber, infinity },
        { "minus infinity left, NaN right", -infinity, notANumber },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);

        auto left = sweep (600, hostRate, 0.6);
        auto right = noise (600, 0.6, 7);

        for (size_t i = 300; i < 303; ++i)
        {
            left[i] = c.left;
            right[i] = c.right;
        }

        // Sample by sample, so that the state is compared right at each rejection.
        LanesAgainstScalar models (makeModel (slotSettings[1], hostRate), makeModel (slotSettings[7], hostRate));
        std::array<bool, 2> rejected { false, false };

        for (size_t i = 0; i < left.size(); ++i)
        {
            models.run ({ left[i] }, { right[i] });

            // A rejected result restarts the model from exactly +0.
            if (i >= 300 && i < 310)
                for (size_t ch = 0; ch < 2; ++ch)
                    rejected[ch] = rejected[ch] || bitsOf (models.scalar[ch].prevM) == 0;
        }

        EXPECT_EQ (rejected[0], ! (std::abs (c.left) < 1.0f));
        EXPECT_EQ (rejected[1], ! (std::abs (c.right) < 1.0f));
    }
}

TEST (TwoLaneHysteresis, RecoversFromHostileStreamsAsTheScalarModelDoes)
{
    // Noise with wild samples scattered through it independently in each lane, at the highest rate:
    // rejections, restarts from zero and recoveries, in every combination of the two lanes.
    const float wild[] = { 3.0e4f, -3.0e4f, 2.0e6f, -2.0e6f, 1.0e30f, -1.0e30f, notANumber, infinity, -infinity, 40.0f };

    std::array<std::vector<float>, 2> channels { noise (20000, 0.7, 3), noise (20000, 0.7, 4) };
    juce::Random random (55);

    for (auto& channel : channels)
        for (int n = 0; n < 120; ++n)
            channel[(size_t) random.nextInt ((int) channel.size())] = wild[random.nextInt ((int) std::size (wild))];

    LanesAgainstScalar models (makeModel (slotSettings[6], highestModelRate), makeModel (slotSettings[0], highestModelRate));

    for (size_t start = 0; start < channels[0].size(); start += 500)
        models.run (slice (channels[0], start, 500), slice (channels[1], start, 500));
}

TEST (TwoLaneHysteresis, QuietSilentAndSteadyFieldsMatchTheScalarModel)
{
    // Quiet fields keep Q inside the series range, silence makes it exactly zero, and a field that
    // holds still gives a field rate of zero.
    auto quiet = noise (2000, 1.0e-4, 5);
    auto silenceThenStep = std::vector<float> (2000, 0.0f);
    std::fill (silenceThenStep.begin() + 1000, silenceThenStep.end(), 0.25f);

    for (const bool flushDenormals : { true, false })
    {
        SCOPED_TRACE (flushDenormals ? "denormals flushed" : "denormals kept");

        const auto runBoth = [&]
        {
            LanesAgainstScalar models (makeModel (slotSettings[4], hostRate), makeModel (slotSettings[9], 8 * hostRate));
            models.run (quiet, silenceThenStep);
            models.run (silenceThenStep, quiet);
            models.run (noise (2000, 1.0e-30, 6), quiet);
        };

        if (flushDenormals)
        {
            juce::ScopedNoDenormals noDenormals;
            runBoth();
        }
        else
        {
            runBoth();
        }
    }
}

TEST (TwoLaneHysteresis, MatchesTheScalarModelFromEdgeStates)
{
    // A field that starts from a previous sample for which Q is exactly +0.001 in one lane and -0.001
    // in the other, where the closed forms take over from the series.
    auto left = makeModel (slotSettings[0], hostRate), right = makeModel (slotSettings[3], hostRate);

    const auto fieldGivingQ = [] (const HysteresisProcessing& model, double Q)
    {
        auto H = Q * model.a;

        for (int step = 0; step < 64 && H / model.a != Q; ++step)
            H = std::nextafter (H, H / model.a < Q ? 1.0 : -1.0);

        return H;
    };

    left.prevH = fieldGivingQ (left, 0.001);
    right.prevH = fieldGivingQ (right, -0.001);
    left.prevHdot = 800.0;
    right.prevHdot = -800.0;
    ASSERT_EQ (left.prevH / left.a, 0.001);
    ASSERT_EQ (right.prevH / right.a, -0.001);

    LanesAgainstScalar fromTheSeriesBoundary (left, right);
    fromTheSeriesBoundary.run ({ 0.01f, 0.0f, -0.02f }, { -0.01f, 0.0f, 0.03f });

    // No magnetisation and no field, but a field rate that falls (and in the right lane rises): Mdiff
    // is exactly 0, which matches neither direction.
    auto still = makeModel (slotSettings[2], hostRate), alsoStill = makeModel (slotSettings[8], hostRate);
    still.prevHdot = 900.0;
    alsoStill.prevHdot = -900.0;

    LanesAgainstScalar fromRest (still, alsoStill);
    fromRest.run ({ 0.0f, 0.0f, 0.0f, 0.1f }, { 0.0f, 0.0f, 0.0f, -0.1f });
}

TEST (TwoLaneHysteresis, RunsEveryIterationCountThatBothModelsShare)
{
    const auto signal = sweep (1500, hostRate, 2.0);
    const auto other = noise (1500, 1.0, 21);

    // Counts that NR rounds up to the same number of passes share the lanes, 0 and below included.
    const std::pair<int, int> counts[] = { { 4, 4 }, { 1, 3 }, { 5, 8 }, { 9, 9 }, { 0, 0 }, { -2, 0 } };

    for (const auto& [leftCount, rightCount] : counts)
    {
        SCOPED_TRACE (std::to_string (leftCount) + " and " + std::to_string (rightCount) + " iterations");
        LanesAgainstScalar models (makeModel (slotSettings[2], hostRate, leftCount), makeModel (slotSettings[5], hostRate, rightCount));
        models.run (signal, other);
    }
}

TEST (TwoLaneHysteresis, LeavesModelsThatCannotShareTheLanesToThemselves)
{
    auto four = makeModel (slotSettings[0], hostRate, 4);
    auto eight = makeModel (slotSettings[0], hostRate, 8);
    auto none = makeModel (slotSettings[0], hostRate, 0);

    EXPECT_TRUE (TwoLaneHysteresis::canRunTogether (four, four));
    EXPECT_FALSE (TwoLaneHysteresis::canRunTogether (four, eight));
    EXPECT_FALSE (TwoLaneHysteresis::canRunTogether (none, four));

    struct OtherSolver : HysteresisProcessing
    {
        double halfOfNR (double H, double Hdot) { return 0.5 * NR (H, Hdot); }
    };

    OtherSolver other;
    other.solver = static_cast<HysteresisProcessing::Solver> (&OtherSolver::halfOfNR);
    EXPECT_FALSE (TwoLaneHysteresis::canRunTogether (four, other));
    EXPECT_FALSE (TwoLaneHysteresis::canRunTogether (other, four));
}

TEST (TwoLaneHysteresis, StereoTapeStageMatchesEachChannelOnItsOwn)
{
    // Slot 5 loads one channel of its response for both, so each channel of a stereo stage (two lanes)
    // must equal the same channel through a mono stage (the scalar model), bit for bit.
    TapeTypeProcessor stereo (tape0, speed1), leftAlone (tape0, speed1), rightAlone (tape0, speed1);

    for (auto* stage : { &stereo, &leftAlone, &rightAlone })
        ASSERT_TRUE (TestSupport::prepareLoaded (*stage, hostRate, 256));

    const int oversamplingSequence[] = { 0, 3, 3, 1, 2, 0, 3 };
    juce::int64 position = 0;

    for (const auto index : oversamplingSequence)
    {
        SCOPED_TRACE ("os " + std::to_string (index));

        for (auto* stage : { &stereo, &leftAlone, &rightAlone })
            stage->setOversamplingIndex (index);

        auto both = TestSupport::makeSine (2, 256, hostRate, 700.0, 3.0f, (int) position);
        position += 256;

        juce::AudioBuffer<float> left (1, 256), right (1, 256);
        left.copyFrom (0, 0, both, 0, 0, 256);
        right.copyFrom (0, 0, both, 1, 0, 256);

        stereo.process (both);
        leftAlone.process (left);
        rightAlone.process (right);

        for (int i = 0; i < 256; ++i)
        {
            ASSERT_EQ (bitsOf (both.getSample (0, i)), bitsOf (left.getSample (0, i))) << "left " << i;
            ASSERT_EQ (bitsOf (both.getSample (1, i)), bitsOf (right.getSample (0, i))) << "right " << i;
        }
    }
}
