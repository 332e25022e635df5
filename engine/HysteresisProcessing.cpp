#include "HysteresisProcessing.h"

void HysteresisProcessing::setParameters (double width, double saturation, double drive) noexcept
{
    Ms = 0.5 + 1.5 * (1.0 - saturation);
    a = Ms / (0.01 + 6.0 * drive);
    c = std::sqrt (1.0 - width) - 0.01;
    k = 0.47875;
    magnetisationLimit = 20.0;

    nc = 1.0 - c;
    MsAlphaOverA = Ms * alpha / a;
    cMsOverA = c * Ms / a;
    cMsAlphaOverA = c * Ms * alpha / a;
    cMsAlphaOverA2 = c * Ms * alpha / (a * a);
    cMsAlpha2OverA2 = c * Ms * alpha * alpha / (a * a);
}

void HysteresisProcessing::setSolver (int numIterations) noexcept
{
    solver = &HysteresisProcessing::NR;
    iterations = numIterations;
}

void HysteresisProcessing::setSampleRate (double fs) noexcept
{
    T = 1.0 / fs;
    stepTime = T / 1.9;
}

// The Jiles-Atherton rate f = dM/dt and its derivative df/dM. The direction terms
// (delta, deltaM, kappa) are piecewise constant, so the derivative holds them fixed.
HysteresisProcessing::Rate HysteresisProcessing::rate (double M, double H, double Hdot) const noexcept
{
    const auto Q = (H + alpha * M) / a;
    const auto L = langevin (Q);

    const auto Mdiff = Ms * L.value - M;
    const auto delta = Hdot >= 0.0 ? 1.0 : -1.0;
    const auto signOfMdiff = static_cast<double> ((Mdiff > 0.0) - (Mdiff < 0.0));
    const auto deltaM = signOfMdiff == delta ? 1.0 : 0.0;

    const auto kappa = nc * deltaM;
    const auto D = nc * delta * k - alpha * Mdiff;

    const auto f1 = kappa * Mdiff / D;
    const auto f2 = cMsOverA * L.firstDerivative;
    const auto f3 = 1.0 - cMsAlphaOverA * L.firstDerivative;
    const auto f = Hdot * (f1 + f2) / f3;

    const auto MdiffPrime = MsAlphaOverA * L.firstDerivative - 1.0;
    const auto f1Prime = kappa * (MdiffPrime / D + alpha * Mdiff * MdiffPrime / (D * D));
    const auto f2Prime = cMsAlphaOverA2 * L.secondDerivative;
    const auto f3Prime = -cMsAlpha2OverA2 * L.secondDerivative;
    const auto fPrime = Hdot * (f1Prime + f2Prime) / f3 - f * f3Prime / f3;

    return { f, fPrime };
}

double HysteresisProcessing::NR (double H, double Hdot) noexcept
{
    const auto passes = newtonPassesFor (iterations);

    if (passes == 0)
        return prevM;

    const auto fPrev = rate (prevM, prevH, prevHdot).value;
    auto M = prevM;

    const auto newtonStep = [&]
    {
        const auto r = rate (M, H, Hdot);
        const auto g = M - prevM - stepTime * (r.value + fPrev);
        const auto gPrime = 1.0 - stepTime * r.derivative;
        M -= g / gPrime;
    };

    // No convergence test: a fixed amount of work per sample, unrolled in passes of four.
    for (int pass = 0; pass < passes; ++pass)
    {
        newtonStep();
        newtonStep();
        newtonStep();
        newtonStep();
    }

    return M;
}

double HysteresisProcessing::processSample (double H) noexcept
{
    auto Hdot = (H - prevH) * (1.8 / T) - 0.8 * prevHdot;
    auto M = (this->*solver) (H, Hdot);

    // The magnetisation is bounded in both directions: a blown-up or runaway solve restarts the
    // model from zero magnetisation rather than poisoning every later sample, and nothing that is
    // not a finite number is kept for the next sample to start from.
    if (! (std::abs (M) <= magnetisationLimit))
    {
        M = 0.0;

        if (! std::isfinite (H))
            H = 0.0;

        if (! std::isfinite (Hdot))
            Hdot = 0.0;
    }

    prevM = M;
    prevH = H;
    prevHdot = Hdot;
    return M;
}
