#include "engine/HysteresisProcessing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

// Expected values below were computed separately with the model's formulas in plain
// double-precision Python (math.tanh, math.sqrt), not with this code.

namespace
{
struct TapeSettings
{
    float width, saturation, drive;
};

// The tape stage passes its single-precision settings widened to double.
void applySettings (HysteresisProcessing& model, TapeSettings settings)
{
    model.setParameters (static_cast<double> (settings.width),
                         static_cast<double> (settings.saturation),
                         static_cast<double> (settings.drive));
}

constexpr TapeSettings slot0Settings { 0.65f, 0.7f, 0.82f };

HysteresisProcessing makeSlot0Model()
{
    HysteresisProcessing model;
    applySettings (model, slot0Settings);
    model.setSolver (4);
    return model;
}

void expectRelativelyNear (double expected, double actual, double relativeTolerance)
{
    EXPECT_NEAR (expected, actual, relativeTolerance * std::max (std::abs (expected), 1.0e-300))
        << "expected " << expected << ", got " << actual;
}

// A model whose solver returns a chosen value, to exercise the output guard.
struct ModelWithForcedResult : HysteresisProcessing
{
    double forcedResult = 0.0;

    double returnForcedResult (double, double) { return forcedResult; }
};
} // namespace

//==============================================================================
TEST (HysteresisProcessing, ConstructionValues)
{
    const HysteresisProcessing model;

    EXPECT_EQ (model.iterations, 0);
    EXPECT_TRUE (model.solver == &HysteresisProcessing::NR);
    EXPECT_DOUBLE_EQ (model.T, 1.0 / 48000.0);
    EXPECT_DOUBLE_EQ (model.stepTime, 1.0964912280701755e-5);
    EXPECT_EQ (model.Ms, 1.0);
    EXPECT_EQ (model.a, 0.25);
    EXPECT_EQ (model.alpha, 0.0016);
    EXPECT_EQ (model.k, 0.47875);
    EXPECT_EQ (model.c, 0.17);
    EXPECT_EQ (model.magnetisationLimit, 20.0);
    EXPECT_EQ (model.nc, 0.83);
    EXPECT_EQ (model.MsAlphaOverA, 0.0064);
    EXPECT_EQ (model.cMsOverA, 0.68);
    EXPECT_EQ (model.cMsAlphaOverA, 0.001088);
    EXPECT_EQ (model.cMsAlphaOverA2, 0.004352);
    EXPECT_EQ (model.cMsAlpha2OverA2, 6.9632e-6);
    EXPECT_EQ (model.prevM, 0.0);
    EXPECT_EQ (model.prevH, 0.0);
    EXPECT_EQ (model.prevHdot, 0.0);
}

TEST (HysteresisProcessing, SetParametersDerivesTheModelConstants)
{
    struct Case
    {
        int slot;
        TapeSettings settings;
        double Ms, a, c;                       // as listed with the tape slots (10 significant digits)
        double nc, MsAlphaOverA, cMsOverA, cMsAlphaOverA, cMsAlphaOverA2, cMsAlpha2OverA2;
    };

    const Case cases[] = {
        { 0, { 0.65f, 0.7f, 0.82f }, 0.9500000179, 0.1926977741, 0.5816079985,
          0.4183920015399911, 0.00788799993133545, 2.867327407447936, 0.004587723851916698, 0.023807871544576475, 3.809259447132236e-05 },
        { 1, { 0.7f, 0.6f, 0.82f }, 1.099999964, 0.2231237269, 0.5377225684,
          0.4622774316125645, 0.00788799993133545, 2.650972239073508, 0.004241555582517613, 0.019009881381482137, 3.041581021037142e-05 },
        { 2, { 0.7f, 0.6f, 0.8f }, 1.099999964, 0.2286902179, 0.5377225684,
          0.4622774316125645, 0.007696000114440917, 2.58644559240448, 0.004138312947847168, 0.01809571474753934, 2.8953143596062943e-05 },
        { 4, { 0.1f, 0.7f, 0.82f }, 0.9500000179, 0.1926977741, 0.9386832973,
          0.06131670273484635, 0.00788799993133545, 4.62770861523329, 0.007404333784373265, 0.0384245942653846, 6.147935082461537e-05 },
        { 7, { 0.1f, 0.7f, 1.15f }, 0.9500000179, 0.1374819157, 0.9386832973,
          0.06131670273484635, 0.011055999771118164, 6.486301449822489, 0.010378082319715983, 0.07548689052087375, 0.000120779024833398 },
    };

    for (const auto& expected : cases)
    {
        SCOPED_TRACE ("slot " + std::to_string (expected.slot));

        HysteresisProcessing model;
        model.k = 1.0;
        model.magnetisationLimit = 5.0;
        applySettings (model, expected.settings);

        expectRelativelyNear (expected.Ms, model.Ms, 1.0e-9);
        expectRelativelyNear (expected.a, model.a, 1.0e-9);
        expectRelativelyNear (expected.c, model.c, 1.0e-9);
        EXPECT_DOUBLE_EQ (expected.nc, model.nc);
        EXPECT_DOUBLE_EQ (expected.MsAlphaOverA, model.MsAlphaOverA);
        EXPECT_DOUBLE_EQ (expected.cMsOverA, model.cMsOverA);
        EXPECT_DOUBLE_EQ (expected.cMsAlphaOverA, model.cMsAlphaOverA);
        EXPECT_DOUBLE_EQ (expected.cMsAlphaOverA2, model.cMsAlphaOverA2);
        EXPECT_DOUBLE_EQ (expected.cMsAlpha2OverA2, model.cMsAlpha2OverA2);

        EXPECT_EQ (model.alpha, 0.0016);
        EXPECT_EQ (model.k, 0.47875);
        EXPECT_EQ (model.magnetisationLimit, 20.0);
    }
}

TEST (HysteresisProcessing, SetSampleRateSetsPeriodAndStepTime)
{
    struct Case
    {
        double fs, T, stepTime;
    };

    const Case cases[] = {
        { 44100.0, 2.2675736961451248e-05, 1.1934598400763816e-05 },
        { 96000.0, 1.0416666666666666e-05, 5.482456140350878e-06 },
        { 384000.0, 2.6041666666666666e-06, 1.3706140350877194e-06 },
    };

    for (const auto& expected : cases)
    {
        HysteresisProcessing model;
        model.setSampleRate (expected.fs);

        EXPECT_DOUBLE_EQ (expected.T, model.T) << expected.fs;
        EXPECT_DOUBLE_EQ (expected.stepTime, model.stepTime) << expected.fs;
    }
}

TEST (HysteresisProcessing, SetSolverSelectsNewtonRaphson)
{
    ModelWithForcedResult model;
    model.solver = static_cast<HysteresisProcessing::Solver> (&ModelWithForcedResult::returnForcedResult);

    model.setSolver (7);

    EXPECT_EQ (model.iterations, 7);
    EXPECT_TRUE (model.solver == &HysteresisProcessing::NR);
}

TEST (HysteresisProcessing, ConfigurationNeverResetsTheState)
{
    auto model = makeSlot0Model();
    model.prevM = 0.4;
    model.prevH = -0.2;
    model.prevHdot = 1234.5;

    model.setSampleRate (384000.0);
    applySettings (model, { 0.1f, 0.6f, 0.82f });
    model.setSolver (4);
    model.setSampleRate (48000.0);

    EXPECT_EQ (model.prevM, 0.4);
    EXPECT_EQ (model.prevH, -0.2);
    EXPECT_EQ (model.prevHdot, 1234.5);
}

//==============================================================================
TEST (HysteresisProcessing, LangevinUsesSeriesOnlyStrictlyInsideTheSmallRange)
{
    for (const auto Q : { 0.000999, -0.000999, 1.0e-7 })
    {
        const auto L = HysteresisProcessing::langevin (Q);

        EXPECT_EQ (L.value, Q / 3.0) << Q;
        EXPECT_EQ (L.firstDerivative, 1.0 / 3.0) << Q;
        EXPECT_EQ (L.secondDerivative, -0.13333333333333333 * Q) << Q;
    }
}

TEST (HysteresisProcessing, LangevinAtZeroIsFinite)
{
    const auto L = HysteresisProcessing::langevin (0.0);

    EXPECT_EQ (L.value, 0.0);
    EXPECT_EQ (L.firstDerivative, 1.0 / 3.0);
    EXPECT_EQ (L.secondDerivative, 0.0);
}

TEST (HysteresisProcessing, LangevinAtTheSeriesBoundaryUsesClosedForms)
{
    for (const auto sign : { 1.0, -1.0 })
    {
        const auto Q = sign * 0.001;
        const auto L = HysteresisProcessing::langevin (Q);

        // Closed-form results; the series would give Q/3 and 1/3, which lie well outside these tolerances.
        EXPECT_NEAR (L.value, sign * 0.0003333333111186221, 2.0e-12);
        EXPECT_NEAR (L.firstDerivative, 0.33333326666615903, 5.0e-9);

        // The closed form of L'' cancels to a multiple of 2^-22 here, so it can never equal
        // the series value exactly; it still lies close to -2Q/15.
        EXPECT_NE (L.secondDerivative, -0.13333333333333333 * Q);
        EXPECT_NEAR (L.secondDerivative, -2.0 * Q / 15.0, 1.0e-5);
    }
}

TEST (HysteresisProcessing, LangevinClosedForms)
{
    struct Case
    {
        double Q, L, firstDerivative, secondDerivative;
    };

    const Case cases[] = {
        { 0.5, 0.1639534137386529, 0.3173056231688305, -0.06164186300009966 },
        { -2.0, -0.5373147207275482, 0.17397817016192874, 0.09228287362464785 },
        { 3.7, 0.730952982968909, 0.07059801616511951, -0.03458233988178554 },
        { 50.0, 0.98, 0.00039999999999995595, -1.6e-05 },
    };

    for (const auto& expected : cases)
    {
        const auto L = HysteresisProcessing::langevin (expected.Q);

        expectRelativelyNear (expected.L, L.value, 1.0e-13);
        expectRelativelyNear (expected.firstDerivative, L.firstDerivative, 1.0e-12);
        expectRelativelyNear (expected.secondDerivative, L.secondDerivative, 1.0e-12);
    }
}

//==============================================================================
TEST (HysteresisProcessing, ZeroFieldRateTakesOneExplicitStepFromThePreviousRate)
{
    auto model = makeSlot0Model();
    model.prevM = 0.1;
    model.prevH = 0.05;
    model.prevHdot = 1000.0;

    // f(M, H, 0) is 0 at every M, so the first step gives prevM + stepTime * fPrev,
    // with fPrev = 944.386306448646, and the later steps stay there.
    EXPECT_DOUBLE_EQ (model.NR (0.3, 0.0), 0.11035511300930534);
}

TEST (HysteresisProcessing, NoIterationsReturnsThePreviousMagnetisation)
{
    for (const auto count : { 0, -3 })
    {
        auto model = makeSlot0Model();
        model.setSolver (count);
        model.prevM = 0.3;
        model.prevH = 0.1;
        model.prevHdot = 5.0;

        EXPECT_EQ (model.processSample (0.2), 0.3) << count;
        EXPECT_EQ (model.prevM, 0.3);
        EXPECT_EQ (model.prevH, 0.2);
        EXPECT_DOUBLE_EQ (model.prevHdot, 8636.0);    // (0.2 - 0.1) * 1.8 * 48000 - 0.8 * 5
    }
}

TEST (HysteresisProcessing, NewtonStepsRunInPassesOfFour)
{
    // A large, strongly non-linear step (width 0, saturation 0, drive 5) on which
    // Newton-Raphson is still far from converged after four steps.
    struct Case
    {
        int iterations;
        double expectedM;
    };

    constexpr double afterFourSteps = 0.19363191546971964;
    constexpr double afterEightSteps = 1.0907542924506002;
    constexpr double afterTwelveSteps = 1.0907544416936128;

    const Case cases[] = {
        { 1, afterFourSteps }, { 2, afterFourSteps }, { 3, afterFourSteps }, { 4, afterFourSteps },
        { 5, afterEightSteps }, { 6, afterEightSteps }, { 7, afterEightSteps }, { 8, afterEightSteps },
        { 9, afterTwelveSteps },
    };

    for (const auto& expected : cases)
    {
        HysteresisProcessing model;
        model.setParameters (0.0, 0.0, 5.0);
        model.setSolver (expected.iterations);
        model.prevM = -0.98;
        model.prevH = 0.48;

        expectRelativelyNear (expected.expectedM, model.processSample (1.39), 1.0e-12);
    }
}

//==============================================================================
TEST (HysteresisProcessing, OutputGuard)
{
    struct Case
    {
        double solverResult, expectedOutput;
    };

    constexpr auto infinity = std::numeric_limits<double>::infinity();

    const Case cases[] = {
        { std::numeric_limits<double>::quiet_NaN(), 0.0 },
        { 20.5, 0.0 },
        { infinity, 0.0 },
        { -infinity, 0.0 },
        { 20.0, 20.0 },
        { -20.0, -20.0 },
        { -20.5, 0.0 },
        { -25.0, 0.0 },
        { 0.7, 0.7 },
    };

    for (const auto& expected : cases)
    {
        ModelWithForcedResult model;
        model.solver = static_cast<HysteresisProcessing::Solver> (&ModelWithForcedResult::returnForcedResult);
        model.forcedResult = expected.solverResult;
        model.prevM = 0.5;
        model.prevH = 0.1;
        model.prevHdot = 5.0;

        EXPECT_EQ (model.processSample (0.2), expected.expectedOutput) << expected.solverResult;
        EXPECT_EQ (model.prevM, expected.expectedOutput) << expected.solverResult;
        EXPECT_EQ (model.prevH, 0.2);
        EXPECT_DOUBLE_EQ (model.prevHdot, 8636.0);
    }
}

TEST (HysteresisProcessing, NonFiniteFieldLeavesAFreshState)
{
    for (const auto field : { std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity() })
    {
        HysteresisProcessing model, fresh;

        for (auto* m : { &model, &fresh })
        {
            applySettings (*m, slot0Settings);
            m->setSolver (4);
        }

        model.processSample (0.3);
        EXPECT_EQ (model.processSample (field), 0.0) << field;
        EXPECT_EQ (model.prevM, 0.0) << field;
        EXPECT_EQ (model.prevH, 0.0) << field;
        EXPECT_EQ (model.prevHdot, 0.0) << field;

        // From there on the model runs exactly as one that never saw the bad sample.
        for (const auto H : { 0.039, 0.077, 0.11 })
            EXPECT_EQ (model.processSample (H), fresh.processSample (H)) << field;
    }
}

TEST (HysteresisProcessing, ModelRestartsFromZeroAfterARejectedResult)
{
    ModelWithForcedResult model;
    applySettings (model, slot0Settings);
    model.setSolver (4);
    model.solver = static_cast<HysteresisProcessing::Solver> (&ModelWithForcedResult::returnForcedResult);
    model.forcedResult = std::numeric_limits<double>::quiet_NaN();
    model.prevM = 0.5;

    model.processSample (0.0);
    ASSERT_EQ (model.prevM, 0.0);
    model.setSolver (4);

    // From an all-zero state this is the first real sample of the reference sequence below.
    expectRelativelyNear (0.037310598675859785, model.processSample (0.03915785766601547), 1.0e-12);
}

//==============================================================================
TEST (HysteresisProcessing, MatchesReferenceAtDefaultRate)
{
    // Slot 0, never given a sample rate (so T = 1/48000); a 1 kHz sine of amplitude 0.3.
    struct Sample
    {
        double H, M;
    };

    const Sample reference[] = {
        { 0.0, 0.0 },
        { 0.03915785766601547, 0.037310598675859785 },
        { 0.07764571353075622, 0.08154662842129314 },
        { 0.11480502970952693, 0.11913303505744512 },
        { 0.14999999999999997, 0.15945210414535127 },
        { 0.18262842870261617, 0.19236111958940913 },
        { 0.21213203435596423, 0.22464919643223902 },
        { 0.23800600208737055, 0.24983168342650244 },
        { 0.25980762113533157, 0.27242371071304833 },
        { 0.27716385975338603, 0.28863324058595174 },
        { 0.28977774788672045, 0.3012956492259868 },
        { 0.2974334584121431, 0.3082452199196533 },
        { 0.3, 0.3115008886921112 },
        { 0.29743345841214314, 0.30981744253349874 },
        { 0.2897777478867205, 0.3050064270626054 },
        { 0.27716385975338603, 0.2964257629069564 },
        { 0.2598076211353316, 0.2843364004769564 },
        { 0.23800600208737055, 0.26822740794950906 },
        { 0.21213203435596426, 0.2481871958163465 },
        { 0.18262842870261625, 0.22390006297137882 },
        { 0.1500000000000001, 0.19558308564590104 },
        { 0.11480502970952697, 0.16334626660629437 },
        { 0.0776457135307563, 0.12781604438800373 },
        { 0.039157857666015594, 0.08874791686702549 },
    };

    auto model = makeSlot0Model();

    for (const auto& sample : reference)
        expectRelativelyNear (sample.M, model.processSample (sample.H), 1.0e-12);

    expectRelativelyNear (-1858.4669645431634, model.prevHdot, 1.0e-12);
}

TEST (HysteresisProcessing, MatchesReferenceWhenOversampled)
{
    // Slot 0 at 8 x 48 kHz; a 5 kHz sine of amplitude 1, driving the model into saturation.
    struct Sample
    {
        double H, M;
    };

    const Sample reference[] = {
        { 0.0, 0.0 },
        { 0.08172107413366822, 0.08006840980553968 },
        { 0.16289547339458874, 0.17515530796803147 },
        { 0.24298017990326387, 0.2508351517473701 },
        { 0.3214394653031616, 0.33106017746594285 },
        { 0.39774847452701106, 0.39114066640497064 },
        { 0.47139673682599764, 0.44927243439106074 },
        { 0.5418915805747517, 0.49337914879698613 },
        { 0.6087614290087207, 0.5338268595274582 },
        { 0.6715589548470184, 0.5653275082862241 },
        { 0.7298640726978357, 0.5933012166175891 },
        { 0.7832867492286504, 0.6154468298117918 },
        { 0.8314696123025452, 0.6346041252348535 },
        { 0.8740903416267588, 0.6497559190366445 },
        { 0.9108638249211758, 0.6624307632293189 },
        { 0.9415440651830208, 0.6721656715233079 },
        { 0.9659258262890683, 0.6797993515253541 },
        { 0.9838460059270774, 0.6851001306855663 },
        { 0.9951847266721969, 0.6885199826824727 },
        { 0.9998661379095618, 0.6899085296906632 },
        { 0.9978589232386035, 0.6899837984438438 },
        { 0.9891765099647809, 0.6890321066891297 },
        { 0.9738769792773336, 0.6873065074536068 },
        { 0.9520626777139242, 0.6847151929656111 },
    };

    auto model = makeSlot0Model();
    model.setSampleRate (384000.0);

    for (const auto& sample : reference)
        expectRelativelyNear (sample.M, model.processSample (sample.H), 1.0e-12);

    expectRelativelyNear (-9293.751824139956, model.prevHdot, 1.0e-12);
}
