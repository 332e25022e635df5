#include "TwoLaneHysteresis.h"

// Every expression below mirrors one in HysteresisProcessing.cpp, operand for operand: the model
// amplifies a difference of one rounding by many orders of magnitude. Branches of the scalar code
// become lane-wise selects between both outcomes; the outcome not taken may divide by zero, which
// only ever lands in a lane that the select discards.

namespace
{
    DoublePair pairOf (const HysteresisProcessing& left, const HysteresisProcessing& right, double HysteresisProcessing::* member) noexcept
    {
        return DoublePair::fromLanes (left.*member, right.*member);
    }
}

bool TwoLaneHysteresis::canRunTogether (const HysteresisProcessing& left, const HysteresisProcessing& right) noexcept
{
    return left.solver == &HysteresisProcessing::NR
        && right.solver == &HysteresisProcessing::NR
        && HysteresisProcessing::newtonPassesFor (left.iterations) == HysteresisProcessing::newtonPassesFor (right.iterations);
}

TwoLaneHysteresis::TwoLaneHysteresis (HysteresisProcessing& left, HysteresisProcessing& right) noexcept
    : leftModel (left),
      rightModel (right),
      passes (HysteresisProcessing::newtonPassesFor (left.iterations)),
      stepTime (pairOf (left, right, &HysteresisProcessing::stepTime)),
      hdotFactor (DoublePair::broadcast (1.8) / pairOf (left, right, &HysteresisProcessing::T)),
      Ms (pairOf (left, right, &HysteresisProcessing::Ms)),
      a (pairOf (left, right, &HysteresisProcessing::a)),
      alpha (pairOf (left, right, &HysteresisProcessing::alpha)),
      k (pairOf (left, right, &HysteresisProcessing::k)),
      magnetisationLimit (pairOf (left, right, &HysteresisProcessing::magnetisationLimit)),
      nc (pairOf (left, right, &HysteresisProcessing::nc)),
      MsAlphaOverA (pairOf (left, right, &HysteresisProcessing::MsAlphaOverA)),
      cMsOverA (pairOf (left, right, &HysteresisProcessing::cMsOverA)),
      cMsAlphaOverA (pairOf (left, right, &HysteresisProcessing::cMsAlphaOverA)),
      cMsAlphaOverA2 (pairOf (left, right, &HysteresisProcessing::cMsAlphaOverA2)),
      cMsAlpha2OverA2 (pairOf (left, right, &HysteresisProcessing::cMsAlpha2OverA2)),
      prevM (DoublePair::broadcast (0.0)),
      prevH (DoublePair::broadcast (0.0)),
      prevHdot (DoublePair::broadcast (0.0))
{
}

void TwoLaneHysteresis::process (float* left, float* right, size_t numSamples) noexcept
{
    prevM = pairOf (leftModel, rightModel, &HysteresisProcessing::prevM);
    prevH = pairOf (leftModel, rightModel, &HysteresisProcessing::prevH);
    prevHdot = pairOf (leftModel, rightModel, &HysteresisProcessing::prevHdot);

    for (size_t i = 0; i < numSamples; ++i)
        processSample (DoublePair::fromFloats (left[i], right[i])).toFloats (left[i], right[i]);

    leftModel.prevM = prevM.lane0();
    rightModel.prevM = prevM.lane1();
    leftModel.prevH = prevH.lane0();
    rightModel.prevH = prevH.lane1();
    leftModel.prevHdot = prevHdot.lane0();
    rightModel.prevHdot = prevHdot.lane1();
}

TwoLaneHysteresis::Langevin TwoLaneHysteresis::langevin (DoublePair Q) noexcept
{
    const auto one = DoublePair::broadcast (1.0);
    const auto two = DoublePair::broadcast (2.0);

    // What does not need tanh comes first, so that its divisions overlap the two tanh calls.
    const auto inverseQ = one / Q;
    const auto inverseQSquared = one / (Q * Q);
    const auto twoOverQCubed = two / (Q * Q * Q);

    const Langevin series { Q / DoublePair::broadcast (3.0),
                            DoublePair::broadcast (1.0 / 3.0),
                            DoublePair::broadcast (-0.13333333333333333) * Q };

    const auto coth = one / Q.eachLane ([] (double q) { return std::tanh (q); });
    const auto cothSquared = coth * coth;

    const Langevin closedForm { coth - inverseQ,
                                inverseQSquared - cothSquared + one,
                                two * coth * (cothSquared - one) - twoOverQCubed };

    const auto useSeries = abs (Q) < DoublePair::broadcast (0.001);

    return { select (useSeries, series.value, closedForm.value),
             select (useSeries, series.firstDerivative, closedForm.firstDerivative),
             select (useSeries, series.secondDerivative, closedForm.secondDerivative) };
}

template <bool withDerivative>
TwoLaneHysteresis::Rate TwoLaneHysteresis::rate (DoublePair M, DoublePair H, DoublePair Hdot) const noexcept
{
    const auto zero = DoublePair::broadcast (0.0);
    const auto one = DoublePair::broadcast (1.0);

    const auto Q = (H + alpha * M) / a;
    const auto L = langevin (Q);

    const auto Mdiff = Ms * L.value - M;
    const auto rising = Hdot >= zero;
    const auto delta = select (rising, one, -one);

    // The sign of Mdiff equals delta: positive while rising, negative while falling (never for 0 or NaN).
    const auto signMatches = ((Mdiff > zero) & rising) | (Mdiff < zero).andNot (rising);
    const auto deltaM = select (signMatches, one, zero);

    const auto kappa = nc * deltaM;
    const auto D = nc * delta * k - alpha * Mdiff;

    const auto f1 = kappa * Mdiff / D;
    const auto f2 = cMsOverA * L.firstDerivative;
    const auto f3 = one - cMsAlphaOverA * L.firstDerivative;
    const auto f = Hdot * (f1 + f2) / f3;

    if constexpr (! withDerivative)
    {
        return { f, zero };
    }
    else
    {
        const auto MdiffPrime = MsAlphaOverA * L.firstDerivative - one;
        const auto f1Prime = kappa * (MdiffPrime / D + alpha * Mdiff * MdiffPrime / (D * D));
        const auto f2Prime = cMsAlphaOverA2 * L.secondDerivative;
        const auto f3Prime = -cMsAlpha2OverA2 * L.secondDerivative;
        const auto fPrime = Hdot * (f1Prime + f2Prime) / f3 - f * f3Prime / f3;

        return { f, fPrime };
    }
}

DoublePair TwoLaneHysteresis::solve (DoublePair H, DoublePair Hdot) noexcept
{
    if (passes == 0)
        return prevM;

    // The rate is a pure function of its arguments, so the same bits in give the same bits out.
    const auto rateKnown = hasLastRate && sameBits (lastRate.M, prevM) && sameBits (lastRate.H, prevH)
                                       && sameBits (lastRate.Hdot, prevHdot);

    const auto one = DoublePair::broadcast (1.0);
    const auto fPrev = rateKnown ? lastRate.value : rate<false> (prevM, prevH, prevHdot).value;
    auto M = prevM;

    const auto newtonStep = [&]
    {
        const auto r = rate<true> (M, H, Hdot);
        lastRate = { M, H, Hdot, r.value };

        const auto g = M - prevM - stepTime * (r.value + fPrev);
        const auto gPrime = one - stepTime * r.derivative;
        M = M - g / gPrime;
    };

    for (int pass = 0; pass < passes; ++pass)
    {
        newtonStep();
        newtonStep();
        newtonStep();
        newtonStep();
    }

    hasLastRate = true;
    return M;
}

DoublePair TwoLaneHysteresis::processSample (DoublePair H) noexcept
{
    auto Hdot = (H - prevH) * hdotFactor - DoublePair::broadcast (0.8) * prevHdot;
    auto M = solve (H, Hdot);

    // A result beyond the limit in either direction, or not a number, restarts the lane from zero
    // magnetisation, and a field or field rate that is not finite is not kept either.
    const auto rejected = ! (abs (M) <= magnetisationLimit);
    M = M.zeroWhere (rejected);
    H = H.zeroWhere (rejected.andNot (isFinite (H)));
    Hdot = Hdot.zeroWhere (rejected.andNot (isFinite (Hdot)));

    prevM = M;
    prevH = H;
    prevHdot = Hdot;
    return M;
}
